// Reads one folder into memory, synchronously, keeping names as raw bytes so
// that names which are not valid UTF-8 still give back paths that open.
#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

namespace ombrix {

struct DirEntry {
    QByteArray nameBytes;  // as the file system has it
    QString name;          // for display and sorting
    QString sortKey;       // case-folded name, computed once
    qint64 size = 0;
    bool isDir = false;
    bool hidden = false;
};

struct DirReadResult {
    std::vector<DirEntry> entries;
    int error = 0;  // errno of the failure, 0 when the folder was read
};

// Lists folders and regular files (symbolic links followed; dangling links,
// devices, FIFOs and sockets are left out: they cannot be encrypted).
DirReadResult readFolder(const QByteArray& dir);

// Names of the sub-folders of dir whose names start with prefix.
QStringList subfolderNames(const QByteArray& dir, const QByteArray& prefix);

// "/a/b" + "c" -> "/a/b/c", without doubling the slash at the root.
QByteArray joinPath(const QByteArray& dir, const QByteArray& name);

// Lexically cleaned absolute path of bytes: collapses "//", "." and "..".
QByteArray cleanPath(const QByteArray& path);

bool isFolder(const QByteArray& path);
bool isRegularFile(const QByteArray& path);

// A readable explanation of an errno value from readFolder.
QString folderErrorText(int error);

}  // namespace ombrix
