#include "picker/DirListing.h"

#include "picker/Texts.h"

#include <QDir>
#include <QFile>
#include <QStringList>

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace ombrix {

namespace {

struct DirCloser {
    DIR* d;
    ~DirCloser() {
        if (d) closedir(d);
    }
};

bool isDotOrDotDot(const char* n) { return n[0] == '.' && (n[1] == '\0' || (n[1] == '.' && n[2] == '\0')); }

}  // namespace

DirReadResult readFolder(const QByteArray& dir) {
    DirReadResult result;
    DirCloser dc{opendir(dir.constData())};
    if (!dc.d) {
        result.error = errno;
        return result;
    }
    const int fd = dirfd(dc.d);
    errno = 0;
    while (dirent* de = readdir(dc.d)) {
        if (isDotOrDotDot(de->d_name)) continue;
        struct stat st;
        if (fstatat(fd, de->d_name, &st, 0) != 0) {
            errno = 0;
            continue;
        }
        const bool dir = S_ISDIR(st.st_mode);
        if (!dir && !S_ISREG(st.st_mode)) continue;
        DirEntry e;
        e.nameBytes = QByteArray(de->d_name);
        e.name = QFile::decodeName(e.nameBytes);
        e.sortKey = e.name.toCaseFolded();
        e.size = dir ? 0 : qint64(st.st_size);
        e.isDir = dir;
        e.hidden = de->d_name[0] == '.';
        result.entries.push_back(std::move(e));
    }
    if (errno != 0) {
        result.error = errno;
        result.entries.clear();
    }
    return result;
}

QStringList subfolderNames(const QByteArray& dir, const QByteArray& prefix) {
    QStringList names;
    DirCloser dc{opendir(dir.constData())};
    if (!dc.d) return names;
    const int fd = dirfd(dc.d);
    const bool wantHidden = prefix.startsWith('.');
    while (dirent* de = readdir(dc.d)) {
        if (isDotOrDotDot(de->d_name) || (de->d_name[0] == '.' && !wantHidden)) continue;
        if (std::strncmp(de->d_name, prefix.constData(), size_t(prefix.size())) != 0) continue;
        struct stat st;
        if (fstatat(fd, de->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode))
            names << QFile::decodeName(QByteArray(de->d_name));
    }
    names.sort();
    return names;
}

QByteArray joinPath(const QByteArray& dir, const QByteArray& name) {
    if (dir.endsWith('/')) return dir + name;
    return dir + '/' + name;
}

QByteArray cleanPath(const QByteArray& path) {
    QList<QByteArray> parts;
    for (const QByteArray& p : path.split('/')) {
        if (p.isEmpty() || p == ".") continue;
        if (p == "..") {
            if (!parts.isEmpty()) parts.removeLast();
            continue;
        }
        parts << p;
    }
    QByteArray out;
    for (const QByteArray& p : parts) out += '/' + p;
    return out.isEmpty() ? QByteArray("/") : out;
}

bool isFolder(const QByteArray& path) {
    struct stat st;
    return stat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool isRegularFile(const QByteArray& path) {
    struct stat st;
    return stat(path.constData(), &st) == 0 && S_ISREG(st.st_mode);
}

QString folderErrorText(int error) {
    switch (error) {
    case ENOENT: return Said<PickerText::FolderMissing>();
    case ENOTDIR: return Said<PickerText::NotAFolder>();
    case EACCES:
    case EPERM: return Said<PickerText::PermissionDenied>();
    default: return Said<PickerText::SystemReason>(QString::fromLocal8Bit(std::strerror(error)));
    }
}

}  // namespace ombrix
