// The file DefaultInstrDescr.ini, in which the address entry dialog keeps
// the descriptors and function-card numbers typed for each card model
// between runs. One file serves the panels of every model, each in a
// section of its own; other programs and people may read or prepare it.
#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QSettings>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>

#include <memory>
#include <optional>

namespace sfpDescriptorStore {

// Rows of the address entry dialog, history entries per row.
inline constexpr int maxRows = 8;
inline constexpr int historyLength = 5;
// What row 1 offers when the file has nothing for it.
inline constexpr char defaultDescriptor[] = "TCPIP::192.168.2.100::INSTR";

// Keys of the file inside a model's section: "r.k.Descriptor",
// "r.FC_Number" and "FC_Count".
QString descriptorKey(int row, int position);
QString fcNumberKey(int row);
QString countKey();

// Full path of the file. On Windows the common application-data folder of
// all users (ALLUSERSPROFILE, else "c:\vxipnp"), then "Tarvex". Elsewhere
// ALLUSERSPROFILE when it is set and not empty, else the user's
// configuration folder, then "Tarvex".
QString iniFilePath();
// The two rules apart, so that each can be checked on any system.
QString windowsIniFilePath(const QString &allUsersProfile);
QString otherSystemsIniFilePath(const QString &allUsersProfile, const QString &userConfigFolder);

// A row's history as it is stored: the current text first, then the
// entries of the row's list, each text once (the first occurrence kept,
// compared exactly), at most historyLength of them.
QStringList history(const QString &current, const QStringList &entries);

// Index of the function-card number box for a stored "r.FC_Number": the
// number itself when it is one of the box's entries 0 ("Select") to 8,
// else 0.
int fcNumberIndex(int storedNumber);
// Index of the count box for a stored "FC_Count": count - 1 when the count
// is 1 to `entries`, else 0 (one row in use).
int countIndex(int storedCount, int entries = maxRows);

// Reads one model's section. A missing, unreadable or malformed file reads
// as a section without keys; nothing is reported.
class Reader final
{
public:
    Reader(const QString &iniFile, const QString &section);
    ~Reader();

    // The text of a key; empty when the key is missing or holds no text.
    // A value that the INI format reads as a list (unquoted commas) is
    // given back as its items joined by ",".
    QString text(const QString &key) const;
    // The integer of a key: `defaultValue` when the key is missing, 0 when
    // its value is not a decimal number that fits an int.
    int number(const QString &key, int defaultValue) const;

private:
    Q_DISABLE_COPY_MOVE(Reader)

    QTemporaryDir m_copyFolder;
    std::unique_ptr<QSettings> m_settings;
};

// Collects one model's keys and writes them as that model's section.
// Everything else in the file stays as it was, byte for byte: the sections
// of other models and of other programs, comments and layout included.
class Writer final
{
public:
    Writer(const QString &iniFile, const QString &section);
    ~Writer();

    // A key set twice keeps the last value.
    void setText(const QString &key, const QString &value);
    void setNumber(const QString &key, int value);

    // Creates the folder when needed and replaces the file at once (never a
    // half-written file). False when the file could not be written, or
    // when its present content would not let the new section be read back
    // (then the file is left alone).
    bool commit();

private:
    Q_DISABLE_COPY_MOVE(Writer)

    QString m_iniFile;
    QString m_section;
    QList<QPair<QString, QVariant>> m_values;
};

// The INI text `original` with the section that `sectionText` holds (a
// whole section as QSettings writes it: its header line, then its keys)
// put in place of every section of that name in `original`, or appended
// when there is none. Lines are found the way QSettings' INI reader finds
// them. Empty when the result would not read back as `original`'s other
// sections plus exactly `sectionText` (e.g. when `original` ends inside
// an open quote).
std::optional<QByteArray> replaceSection(const QByteArray &original, const QByteArray &sectionText);

} // namespace sfpDescriptorStore
