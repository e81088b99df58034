#pragma once

#include <unistd.h>

// A POSIX file descriptor that closes itself, for the readers that open files without waiting
// and check what they opened before reading (documents, registry export files).
class FileHandle {
public:
    explicit FileHandle(int fd)
        : m_fd(fd)
    {
    }
    ~FileHandle()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    int fd() const { return m_fd; }

private:
    int m_fd;
};
