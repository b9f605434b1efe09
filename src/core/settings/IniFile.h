#pragma once

#include <QByteArray>
#include <QString>

struct ProfileValue {
    QString value;
    int count = 0; // characters returned, as the reader reports them
};

// Private-profile (INI) file access with the classic conventions:
// - section and key names match without regard to letter case;
// - a missing file, section or key gives the default;
// - a key with nothing after "=" gives an empty value, not the default;
// - the value is the text after the first "=", surrounding blanks removed;
// - lines starting with ";" are comments; the first of duplicate keys wins;
// - a write replaces the key in its section and keeps every other line of the
//   file byte for byte, adding the key, the section or the file when missing;
// - a value enclosed in matching quotes is read without them (blanks inside kept),
//   so a value with blanks around it, or one enclosed in quotes, is written in
//   double quotes and reads back as it was given;
// - a line added to the file takes the line end of the line it follows.
// Text is read as UTF-8, except that a value that is not valid UTF-8 is read
// as Latin-1 (files written by older programs); it is written as UTF-8.
//
// The file is read once, at the first read(): later reads answer from that
// copy, so changes made to the file by others are not seen until this object
// writes. A write works on the file as it is then, keeping every line others
// put there, and the written file becomes the copy read from.
class IniFile {
public:
    static constexpr int kWholeValue = 0; // bufferSize for a value of any length

    explicit IniFile(QString path);

    // At most bufferSize - 1 characters are returned, as a fixed buffer would.
    ProfileValue read(const QString &section, const QString &key, const QString &defaultValue,
                      int bufferSize = 64) const;

    // Returns false when the file could not be written, or when a text holds
    // a line end (it would add lines of its own); the file is then unchanged,
    // unless it had to be written in place (its folder is not writable) and
    // that write broke off.
    bool write(const QString &section, const QString &key, const QString &value);

private:
    const QByteArray &contents(bool *readable) const;

    QString m_path;
    mutable bool m_loaded = false;
    mutable bool m_readable = false;
    mutable QByteArray m_contents;
};
