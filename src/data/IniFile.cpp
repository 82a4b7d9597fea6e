#include "IniFile.h"

#include "Gbk.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <utility>

namespace {

char AsciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

// Only ASCII letters fold: Latin-1 folding would make distinct GBK names (bytes above 0x7F)
// compare equal.
bool SameName(const QByteArray &a, const QByteArray &b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (AsciiLower(a[i]) != AsciiLower(b[i]))
            return false;
    return true;
}

QByteArray OneLine(QByteArray value)
{
    return value.replace('\r', ' ').replace('\n', ' ');
}

} // namespace

TIniFile::TIniFile(QString fileName) : m_fileName(std::move(fileName))
{
    QFile file(m_fileName);
    QByteArray content;
    if (QFileInfo::exists(m_fileName)) {
        if (file.open(QIODevice::ReadOnly))
            content = file.readAll();
        else
            m_readable = false;
    }
    Parse(content);
}

void TIniFile::Parse(const QByteArray &content)
{
    m_sections = {Section{}};
    if (content.isEmpty())
        return;
    QList<QByteArray> lines = content.split('\n');
    if (content.endsWith('\n'))
        lines.removeLast();
    for (QByteArray &text : lines) {
        if (text.endsWith('\r'))
            text.chop(1);
        const QByteArray trimmed = text.trimmed();
        if (trimmed.startsWith('[')) {
            const qsizetype close = trimmed.indexOf(']');
            if (close > 0) {
                m_sections.append(Section{trimmed.mid(1, close - 1).trimmed(), {Line{text, {}, -1}}});
                continue;
            }
        }
        Line line{text, {}, -1};
        const qsizetype eq = text.indexOf('=');
        if (eq > 0 && !trimmed.startsWith(';')) {
            line.key = text.left(eq).trimmed();
            line.eq = line.key.isEmpty() ? -1 : eq;
        }
        m_sections.last().lines.append(line);
    }
}

qsizetype TIniFile::SectionIndex(const QByteArray &name) const
{
    // The first part holds the lines before any header and is never a named section.
    for (qsizetype i = 1; i < m_sections.size(); ++i)
        if (SameName(m_sections[i].name, name))
            return i;
    return -1;
}

const TIniFile::Line *TIniFile::FindLine(const QByteArray &section, const QByteArray &key) const
{
    const qsizetype index = SectionIndex(section);
    if (index < 0)
        return nullptr;
    for (const Line &line : m_sections[index].lines)
        if (line.eq > 0 && SameName(line.key, key))
            return &line;
    return nullptr;
}

bool TIniFile::HasKey(const QByteArray &section, const QByteArray &key) const
{
    return FindLine(section, key) != nullptr;
}

QByteArray TIniFile::ReadBytes(const QByteArray &section, const QByteArray &key, const QByteArray &def) const
{
    const Line *line = FindLine(section, key);
    return line ? line->text.mid(line->eq + 1) : def;
}

QString TIniFile::ReadString(const QByteArray &section, const QByteArray &key, const QString &def) const
{
    const Line *line = FindLine(section, key);
    return line ? Gbk::Decode(line->text.mid(line->eq + 1)) : def;
}

int TIniFile::ReadInteger(const QByteArray &section, const QByteArray &key, int def) const
{
    bool ok = false;
    const int value = ReadBytes(section, key).trimmed().toInt(&ok, 10);
    return ok ? value : def;
}

bool TIniFile::ReadBool(const QByteArray &section, const QByteArray &key, bool def) const
{
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

void TIniFile::WriteBytes(const QByteArray &section, const QByteArray &key, const QByteArray &value)
{
    qsizetype index = SectionIndex(section);
    if (index < 0) {
        m_sections.append(Section{section, {Line{'[' + section + ']', {}, -1}}});
        index = m_sections.size() - 1;
    }
    Section *target = &m_sections[index];
    for (Line &line : target->lines) {
        if (line.eq > 0 && SameName(line.key, key)) {
            // The key keeps the spelling the file gave it.
            line.text = line.text.left(line.eq + 1) + OneLine(value);
            return;
        }
    }
    // New keys go after the section's last non-blank line, ahead of any blank lines that
    // separate it from the next section.
    qsizetype at = target->lines.size();
    while (at > 1 && target->lines[at - 1].text.trimmed().isEmpty())
        --at;
    target->lines.insert(at, Line{key + '=' + OneLine(value), key, key.size()});
}

void TIniFile::WriteString(const QByteArray &section, const QByteArray &key, const QString &value)
{
    WriteBytes(section, key, Gbk::Encode(value));
}

void TIniFile::WriteInteger(const QByteArray &section, const QByteArray &key, int value)
{
    WriteBytes(section, key, QByteArray::number(value));
}

void TIniFile::WriteBool(const QByteArray &section, const QByteArray &key, bool value)
{
    WriteInteger(section, key, value ? 1 : 0);
}

bool TIniFile::DeleteKey(const QByteArray &section, const QByteArray &key)
{
    const qsizetype index = SectionIndex(section);
    if (index < 0)
        return false;
    Section *target = &m_sections[index];
    for (qsizetype i = 0; i < target->lines.size(); ++i) {
        if (target->lines[i].eq > 0 && SameName(target->lines[i].key, key)) {
            target->lines.removeAt(i);
            return true;
        }
    }
    return false;
}

QByteArray TIniFile::ToBytes() const
{
    QByteArray out;
    for (const Section &section : m_sections)
        for (const Line &line : section.lines)
            out += line.text + "\r\n";
    return out;
}

bool TIniFile::UpdateFile(QString *error) const
{
    QSaveFile file(m_fileName);
    const QByteArray content = ToBytes();
    // The new file would otherwise take the old one's mode, or the umask's when there was none.
    if (file.open(QIODevice::WriteOnly) &&
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner) &&
        file.write(content) == content.size() && file.commit())
        return true;
    if (error)
        *error = file.errorString();
    return false;
}
