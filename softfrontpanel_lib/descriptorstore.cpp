#include "descriptorstore.h"

#include <QByteArrayView>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QStandardPaths>

namespace sfpDescriptorStore {

namespace {

const char fileName[] = "DefaultInstrDescr.ini";
const char makerFolder[] = "Tarvex";
const char utf8ByteOrderMark[] = "\xEF\xBB\xBF";

// How long a save waits for another program that is writing the file.
constexpr int lockWaitMs = 2000;

// ---- The INI text as QSettings reads it -----------------------------------
//
// QSettings reads an INI file in logical lines: blanks, empty lines and
// lines that begin with ';' are skipped; a quoted part runs on over line
// ends; a backslash takes the next character with it; an unquoted ';' ends
// the line. A logical line that begins with '[' starts a section, named by
// what stands up to the first ']', trimmed. The splitting below follows
// those rules, so that the sections it finds are the ones QSettings finds.

enum CharTrait { Space = 0x1, Special = 0x2 };

int charTraits(char ch)
{
    switch (ch) {
    case '\t':
    case ' ':
        return Space;
    case '\n':
    case '\r':
        return Space | Special;
    case '"':
    case ';':
    case '=':
    case '\\':
        return Special;
    default:
        return 0;
    }
}

struct LogicalLine
{
    qsizetype start;
    qsizetype end;
};

QList<LogicalLine> logicalLines(QByteArrayView data, qsizetype from)
{
    QList<LogicalLine> lines;
    const qsizetype size = data.size();
    qsizetype pos = from;
    for (;;) {
        qsizetype start = pos;
        while (start < size && (charTraits(data.at(start)) & Space))
            ++start;
        qsizetype i = start;
        bool inQuotes = false;
        while (i < size) {
            const char ch = data.at(i++);
            if (!(charTraits(ch) & Special))
                continue;
            if (ch == '\n' || ch == '\r') {
                if (i == start + 1) {
                    ++start;
                } else if (!inQuotes) {
                    --i;
                    break;
                }
            } else if (ch == '\\') {
                if (i < size) {
                    const char escaped = data.at(i++);
                    if (i < size) {
                        const char next = data.at(i);
                        if ((escaped == '\n' && next == '\r') || (escaped == '\r' && next == '\n'))
                            ++i;
                    }
                }
            } else if (ch == '"') {
                inQuotes = !inQuotes;
            } else if (ch == ';') {
                if (i == start + 1) {
                    while (i < size && data.at(i) != '\n' && data.at(i) != '\r')
                        ++i;
                    while (i < size && (charTraits(data.at(i)) & Space))
                        ++i;
                    start = i;
                } else if (!inQuotes) {
                    --i;
                    break;
                }
            }
        }
        pos = i;
        if (i <= start)
            return lines;
        lines.append({start, i});
    }
}

QByteArrayView lineText(QByteArrayView data, const LogicalLine &line)
{
    return data.sliced(line.start, line.end - line.start);
}

// The section name of a header line; null for any other line.
std::optional<QByteArray> sectionName(QByteArrayView line)
{
    if (!line.startsWith('['))
        return std::nullopt;
    qsizetype close = line.indexOf(']');
    if (close < 0)
        close = line.size();
    return line.sliced(1, close - 1).trimmed().toByteArray();
}

bool sameSection(const QByteArray &a, const QByteArray &b)
{
    // Section names compare as QSettings compares them on this system.
#ifdef Q_OS_WIN
    return a.compare(b, Qt::CaseInsensitive) == 0;
#else
    return a == b;
#endif
}

qsizetype bodyStart(QByteArrayView data)
{
    return data.startsWith(utf8ByteOrderMark) ? qsizetype(sizeof utf8ByteOrderMark - 1) : 0;
}

struct Span
{
    qsizetype start;
    qsizetype end;
};

QByteArray readWholeFile(const QString &path, bool *readable)
{
    QFile file(path);
    if (!file.exists()) {
        *readable = true;
        return QByteArray();
    }
    *readable = file.open(QIODevice::ReadOnly);
    return *readable ? file.readAll() : QByteArray();
}

} // namespace

QString descriptorKey(int row, int position)
{
    return QStringLiteral("%1.%2.Descriptor").arg(row).arg(position);
}

QString fcNumberKey(int row)
{
    return QStringLiteral("%1.FC_Number").arg(row);
}

QString countKey()
{
    return QStringLiteral("FC_Count");
}

QString windowsIniFilePath(const QString &allUsersProfile)
{
    const QString folder
        = allUsersProfile.isEmpty() ? QStringLiteral("c:\\vxipnp") : allUsersProfile;
    return folder + QLatin1Char('\\') + QLatin1String(makerFolder) + QLatin1Char('\\')
        + QLatin1String(fileName);
}

QString otherSystemsIniFilePath(const QString &allUsersProfile, const QString &userConfigFolder)
{
    // Backslashes would end up in the file's name here, and a fixed folder
    // in the working directory; the user's configuration folder is where
    // such a file belongs when no common folder is named.
    QString folder = allUsersProfile;
    if (folder.isEmpty())
        folder = userConfigFolder;
    if (folder.isEmpty())
        folder = QDir::homePath() + QLatin1String("/.config");
    return QDir::toNativeSeparators(QDir::cleanPath(folder + QLatin1Char('/')
                                                    + QLatin1String(makerFolder) + QLatin1Char('/')
                                                    + QLatin1String(fileName)));
}

QString iniFilePath()
{
    const QString allUsersProfile = qEnvironmentVariable("ALLUSERSPROFILE");
#ifdef Q_OS_WIN
    return windowsIniFilePath(allUsersProfile);
#else
    return otherSystemsIniFilePath(
        allUsersProfile, QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
#endif
}

QStringList history(const QString &current, const QStringList &entries)
{
    QStringList list;
    list.append(current);
    for (const QString &entry : entries) {
        if (list.size() == historyLength)
            break;
        if (!list.contains(entry, Qt::CaseSensitive))
            list.append(entry);
    }
    return list;
}

int fcNumberIndex(int storedNumber)
{
    // A number the box does not offer would leave it without a valid entry
    // and let an invalid card number past the checks.
    return storedNumber >= 0 && storedNumber <= maxRows ? storedNumber : 0;
}

int countIndex(int storedCount, int entries)
{
    // Compared before subtracting: the stored count may be INT_MIN.
    return storedCount >= 1 && storedCount <= entries ? storedCount - 1 : 0;
}

// ---- Reader ---------------------------------------------------------------

Reader::Reader(const QString &iniFile, const QString &section)
{
    // QSettings keeps what it read of a file and reads it again only when
    // its size or time stamp changed; the Writer writes without QSettings,
    // so a save and a load within one millisecond could read stale values.
    // A fresh copy is always read afresh.
    QString readPath = iniFile;
    if (m_copyFolder.isValid()) {
        bool readable = false;
        const QByteArray content = readWholeFile(iniFile, &readable);
        QFile copy(m_copyFolder.filePath(QLatin1String(fileName)));
        if (readable && copy.open(QIODevice::WriteOnly) && copy.write(content) == content.size()) {
            copy.close();
            readPath = copy.fileName();
        }
    }
    m_settings = std::make_unique<QSettings>(readPath, QSettings::IniFormat);
    m_settings->beginGroup(section);
}

Reader::~Reader() = default;

QString Reader::text(const QString &key) const
{
    const QVariant value = m_settings->value(key);
    const int type = value.typeId();
    if (type == QMetaType::QStringList || type == QMetaType::QVariantList)
        return value.toStringList().join(QLatin1Char(','));
    if (type == QMetaType::QString || type == QMetaType::QByteArray)
        return value.toString();
    return QString();
}

int Reader::number(const QString &key, int defaultValue) const
{
    if (!m_settings->contains(key))
        return defaultValue;
    const QVariant value = m_settings->value(key);
    if (value.typeId() == QMetaType::Int)
        return value.toInt();
    if (value.typeId() != QMetaType::QString)
        return 0;
    // QVariant's own conversion would wrap a number beyond the int range
    // into some other number; such a value is no number for us.
    bool ok = false;
    const int number = value.toString().toInt(&ok, 10);
    return ok ? number : 0;
}

// ---- Writer ---------------------------------------------------------------

Writer::Writer(const QString &iniFile, const QString &section)
    : m_iniFile(iniFile)
    , m_section(section)
{ }

Writer::~Writer() = default;

void Writer::setText(const QString &key, const QString &value)
{
    for (QPair<QString, QVariant> &entry : m_values) {
        if (entry.first == key) {
            entry.second = value;
            return;
        }
    }
    m_values.append({key, value});
}

void Writer::setNumber(const QString &key, int value)
{
    for (QPair<QString, QVariant> &entry : m_values) {
        if (entry.first == key) {
            entry.second = value;
            return;
        }
    }
    m_values.append({key, value});
}

bool Writer::commit()
{
    // QSettings itself writes the section, so that its text is what any
    // QSettings reads back; it writes it alone into a file of its own,
    // because on the real file it would rewrite every other section in
    // its own way, dropping comments and whatever it cannot parse.
    QTemporaryDir scratch;
    if (!scratch.isValid())
        return false;
    const QString scratchPath = scratch.filePath(QLatin1String(fileName));
    {
        QSettings settings(scratchPath, QSettings::IniFormat);
        settings.beginGroup(m_section);
        for (const QPair<QString, QVariant> &entry : m_values)
            settings.setValue(entry.first, entry.second);
        settings.endGroup();
        settings.sync();
        if (settings.status() != QSettings::NoError)
            return false;
    }
    bool readable = false;
    const QByteArray sectionText = readWholeFile(scratchPath, &readable);
    if (!readable || sectionText.isEmpty())
        return false;

    const QFileInfo target(m_iniFile);
    if (!QDir().mkpath(target.absolutePath()))
        return false;

    // The same lock file as QSettings takes, so that a QSettings-based
    // program writing the file meanwhile does not lose our section or we
    // its changes. Without the lock the file is still replaced whole.
    QLockFile lock(m_iniFile + QLatin1String(".lock"));
    lock.tryLock(lockWaitMs);

    const QByteArray original = readWholeFile(m_iniFile, &readable);
    // A file that is there but cannot be read would be overwritten blind.
    if (!readable)
        return false;
    const std::optional<QByteArray> replaced = replaceSection(original, sectionText);
    if (!replaced)
        return false;

    QSaveFile file(m_iniFile);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(*replaced) != replaced->size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

// ---- Replacing one section ------------------------------------------------

std::optional<QByteArray> replaceSection(const QByteArray &original, const QByteArray &sectionText)
{
    const QList<LogicalLine> newLines = logicalLines(sectionText, 0);
    if (newLines.isEmpty())
        return std::nullopt;
    const std::optional<QByteArray> name = sectionName(lineText(sectionText, newLines.first()));
    if (!name)
        return std::nullopt;

    // Where the section stands now: from its header to the end of its last
    // line before the next header. Comments and blank lines after that last
    // line stay, as they may belong to what follows.
    const qsizetype originalBody = bodyStart(original);
    const QList<LogicalLine> oldLines = logicalLines(original, originalBody);
    QList<Span> spans;
    bool inSection = false;
    for (const LogicalLine &line : oldLines) {
        const std::optional<QByteArray> header = sectionName(lineText(original, line));
        if (header) {
            inSection = sameSection(*header, *name);
            if (inSection)
                spans.append({line.start, line.end});
        } else if (inSection) {
            spans.last().end = line.end;
        }
    }

    const QByteArray lineBreak
        = sectionText.contains("\r\n") ? QByteArray("\r\n") : QByteArray("\n");
    QByteArray result;
    qsizetype insertedAt = 0;
    if (spans.isEmpty()) {
        result = original;
        if (result.size() > originalBody) {
            if (!result.endsWith('\n') && !result.endsWith('\r'))
                result += lineBreak;
            result += lineBreak;
        }
        insertedAt = result.size();
        result += sectionText;
    } else {
        // The new text takes the place of the first occurrence; whatever
        // followed each old occurrence (its line break first) follows on.
        QByteArray body = sectionText;
        while (body.endsWith('\n') || body.endsWith('\r'))
            body.chop(1);
        qsizetype copiedUpTo = 0;
        for (qsizetype s = 0; s < spans.size(); ++s) {
            result += QByteArrayView(original).sliced(copiedUpTo, spans[s].start - copiedUpTo);
            if (s == 0) {
                insertedAt = result.size();
                result += body;
            }
            copiedUpTo = spans[s].end;
        }
        result += QByteArrayView(original).sliced(copiedUpTo);
    }

    // Check the result as a reader will see it: the new section's lines,
    // exactly, where they were put, followed by a header or the end; and
    // every other line as it was.
    const QList<LogicalLine> resultLines = logicalLines(result, bodyStart(result));
    qsizetype first = -1;
    for (qsizetype i = 0; i < resultLines.size(); ++i) {
        if (resultLines[i].start == insertedAt) {
            first = i;
            break;
        }
    }
    if (first < 0 || first + newLines.size() > resultLines.size())
        return std::nullopt;
    for (qsizetype i = 0; i < newLines.size(); ++i) {
        if (lineText(result, resultLines[first + i]) != lineText(sectionText, newLines[i]))
            return std::nullopt;
    }
    const qsizetype after = first + newLines.size();
    if (after < resultLines.size() && !sectionName(lineText(result, resultLines[after])))
        return std::nullopt;

    QList<QByteArrayView> othersBefore;
    for (const LogicalLine &line : oldLines) {
        bool replacedLine = false;
        for (const Span &span : spans)
            replacedLine = replacedLine || (line.start >= span.start && line.end <= span.end);
        if (!replacedLine)
            othersBefore.append(lineText(original, line));
    }
    QList<QByteArrayView> othersAfter;
    for (qsizetype i = 0; i < resultLines.size(); ++i) {
        if (i < first || i >= after)
            othersAfter.append(lineText(result, resultLines[i]));
    }
    if (othersBefore != othersAfter)
        return std::nullopt;
    return result;
}

} // namespace sfpDescriptorStore
