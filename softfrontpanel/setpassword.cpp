// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "setpassword.h"

#include "commandline.h"
#include "smallfile.h"
#include "translation.h"
#include "webpassword.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <termios.h>
#include <unistd.h>

namespace {

// A password longer than this is no one's to type.
constexpr size_t maxPasswordLength = 4096;

// Wipes what held a password before its memory is given back.
void wipe(std::string *text)
{
    if (!text->empty())
        ::explicit_bzero(text->data(), text->size());
    text->clear();
}

// One line of standard input, without its line end; false at its end
// before any character, or for a line too long.
bool readLine(std::string *line)
{
    line->clear();
    int c = 0;
    bool any = false;
    while ((c = std::getc(stdin)) != EOF) {
        any = true;
        if (c == '\n')
            return true;
        if (line->size() >= maxPasswordLength) {
            wipe(line);
            return false;
        }
        line->push_back(char(c));
    }
    return any;
}

// A line read from the terminal without echo, after `prompt` on standard
// error; the terminal's settings are given back whatever happens.
bool readHidden(const QString &prompt, std::string *line)
{
    termios saved {};
    const bool tty = ::tcgetattr(STDIN_FILENO, &saved) == 0;
    if (tty) {
        termios quiet = saved;
        quiet.c_lflag &= ~tcflag_t(ECHO);
        quiet.c_lflag |= ECHONL;
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    }
    std::fputs(prompt.toLocal8Bit().constData(), stderr);
    std::fflush(stderr);
    const bool read = readLine(line);
    if (tty)
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
    return read;
}

int fail(int status, const QString &text)
{
    qx5170fpSay(text);
    return status;
}

} // namespace

int qx5170fpSetPassword(const qx5170fpCommandLine &commandLine)
{
    // Nothing buffered keeps a copy beyond the line itself.
    std::setvbuf(stdin, nullptr, _IONBF, 0);
    std::string password;
    std::string again;
    const bool terminal = ::isatty(STDIN_FILENO) == 1;
    bool read = false;
    if (terminal) {
        //: asked on the terminal; what follows is typed without echo
        read = readHidden(sfp::translate("SetPassword", "Password: "), &password)
            //: asked on the terminal for the same password once more
            && readHidden(sfp::translate("SetPassword", "Again: "), &again);
    } else {
        read = readLine(&password);
    }
    if (!read) {
        wipe(&password);
        wipe(&again);
        return fail(
            qx5170fpUsageExitStatus,
            //: %1 is a number of bytes
            sfp::translate("SetPassword", "no password was read (one line, at most %1 bytes)")
                .arg(maxPasswordLength));
    }
    const bool same = !terminal || again == password;
    wipe(&again);
    if (!same) {
        wipe(&password);
        return fail(qx5170fpUsageExitStatus,
                    sfp::translate("SetPassword", "the two passwords differ; nothing was written"));
    }
    if (password.empty())
        return fail(
            qx5170fpUsageExitStatus,
            sfp::translate("SetPassword", "an empty password is refused; nothing was written"));
    QString why;
    QByteArray typed(password.data(), qsizetype(password.size()));
    wipe(&password);
    const QByteArray hash = sfp::webPassword::newHash(typed, &why);
    typed.fill('\0');
    if (hash.isEmpty())
        return fail(qx5170fpFailureExitStatus,
                    //: %1 is a file's path, %2 says why
                    sfp::translate("SetPassword", "the password file %1 is not written: %2")
                        .arg(commandLine.passwordFile, why));
    why = sfp::replacePrivateFile(commandLine.passwordFile, hash + '\n');
    if (!why.isEmpty())
        return fail(qx5170fpFailureExitStatus,
                    //: %1 is a file's path, %2 says why
                    sfp::translate("SetPassword", "the password file %1 cannot be written: %2")
                        .arg(commandLine.passwordFile, why));
    return 0;
}
