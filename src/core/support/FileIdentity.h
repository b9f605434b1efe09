#pragma once

#include <QList>
#include <QString>
#include <optional>

// Which file a path names, so that paths are compared as files and never as
// texts: the device and inode of the file after every link is followed. A
// path with nothing behind it yet (or a link to nothing) stands for the file a
// write there would create: its folder's canonical path and its name.
class FileIdentity {
public:
    static FileIdentity of(const QString &path);

    bool operator==(const FileIdentity &other) const = default;
    friend size_t qHash(const FileIdentity &identity, size_t seed);

private:
    quint64 m_device = 0;
    quint64 m_inode = 0;
    QString m_missing; // where nothing exists yet
};

size_t qHash(const FileIdentity &identity, size_t seed = 0);

bool sameFile(const QString &a, const QString &b);

// What a run does with a file: reads it, writes it, or reads it and needs it
// to be no other file of the run (an earlier report it trusts).
enum class FileAccess { Read, Write, ReadAlone };

// One file a command uses, with what it is to the command ("the plan", "the
// firmware of line 4").
struct FileUse {
    QString role;
    QString path;
    FileAccess access = FileAccess::Read;
};

struct FileClash {
    FileUse first;
    FileUse second;
};

// The first two uses that are the same file where one of them is not a plain
// read (two reads of one file are fine). Each distinct path is looked at
// once, so a plan that names one image on every row costs one look.
std::optional<FileClash> findFileClash(const QList<FileUse> &uses);

// "The report /a/r.csv is the same file as the plan /a/plan.csv".
QString sameFileMessage(const FileClash &clash);

// A path for a message: control characters shown as '.', with room for the
// longest path.
QString shownPath(const QString &path);
