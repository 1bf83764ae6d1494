#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <sys/stat.h>
#include <sys/types.h>

// A folder held by its descriptor, with everything below it reached from
// that descriptor and never through a symbolic link. The output folder is
// shared with people the program does not trust: a link placed where one of
// its files or folders belongs must not lead a write, a removal or a read
// anywhere else. Paths below the folder are relative, "/"-separated, with no
// "." or ".." part. The kernel resolves them itself where it can
// (openat2 with RESOLVE_BENEATH and RESOLVE_NO_SYMLINKS); elsewhere each part
// is opened in turn with O_NOFOLLOW. A link on the way fails with ELOOP, or
// with a FileError that names it.
class AnchoredFolder {
public:
    // Opens the folder at path; links in path itself are the caller's choice
    // and followed. Raises FileError when it is no folder that can be opened.
    explicit AnchoredFolder(const QString& path);
    AnchoredFolder(AnchoredFolder&& other) noexcept;
    AnchoredFolder& operator=(AnchoredFolder&& other) noexcept;
    AnchoredFolder(const AnchoredFolder&) = delete;
    AnchoredFolder& operator=(const AnchoredFolder&) = delete;
    ~AnchoredFolder();

    const QString& path() const { return m_path; }
    int descriptor() const { return m_fd; }
    // The path of an entry below, for messages and for programs that take
    // paths (the office).
    QString pathOf(const QString& relative) const;

    // The folder below; with create, made where missing, parents included.
    // Raises FileError (a link on the way is named).
    AnchoredFolder folder(const QString& relative, bool create = false) const;

    // open(2) below the folder (O_NOFOLLOW and O_CLOEXEC always added):
    // the descriptor, or -1 with errno set (ELOOP for a link on the way).
    int openAt(const QString& relative, int flags, mode_t mode = 0666) const;
    // The same, raising FileError that names what could not be opened.
    int open(const QString& relative, int flags, mode_t mode = 0666) const;

    // The file's bytes, at most limit of them when limit >= 0.
    QByteArray read(const QString& relative, qint64 limit = -1) const;
    // Replaces the file's content, or makes it.
    void write(const QString& relative, const QByteArray& content) const;
    // Makes the file with O_EXCL: false when the name is taken; raises
    // FileError on any other failure.
    bool create(const QString& relative, const QByteArray& content) const;

    // What is there, the link itself for a link; false when nothing is (or
    // the way to it leads through a link).
    bool status(const QString& relative, struct stat* info) const;
    bool exists(const QString& relative) const;
    // Names in the folder below (this one when relative is empty), without
    // "." and "..".
    QStringList names(const QString& relative = QString()) const;
    // Renames within the folder. A link at the target's name is refused,
    // never replaced: it may be someone's way to elsewhere.
    void rename(const QString& from, const QString& to) const;
    // Removes a file, a link (the link only) or a folder with everything in
    // it, never through a link; quiet: what cannot be removed stays.
    void removeTree(const QString& relative) const;

    // The message for a link in the way of relative (its first link named).
    QString linkRefusal(const QString& relative) const;

    // Removes name in the folder open as parent the way removeTree does.
    static void removeEntry(int parent, const char* name);
    // Whether the kernel resolves paths beneath a descriptor itself.
    static bool kernelResolvesBeneath();
    // Resolves part by part even where the kernel could (for tests of the
    // fallback).
    static void setStepwise(bool stepwise);

private:
    AnchoredFolder(int fd, QString path) : m_fd(fd), m_path(std::move(path)) {}
    [[noreturn]] void fail(const QString& what, const QString& relative, int error) const;

    int m_fd = -1;
    QString m_path;
};
