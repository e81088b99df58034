#pragma once

#include "forms/seam.h"

#include <QString>
#include <cstdint>

// Starts another program and lets it run on its own.
namespace ProgramStart {

class Api {
public:
    virtual ~Api() = default;
    // Starts the program the path names (a Windows path, as the registry gives it), with no
    // arguments and without waiting; returns its task id. A program that cannot be started
    // raises "File not found". The window style (1: normal, with the focus) is the new
    // program's business on desktops where a starter cannot choose it.
    virtual std::int64_t start(const QString& path, int windowStyle) = 0;
};

// The whole text is the program's path: no shell reads it, so blanks and quotes are part of
// the name. The program starts detached, in the current directory.
class LocalStarter : public Api {
public:
    std::int64_t start(const QString& path, int windowStyle) override;
};

using Current = Seam<Api, LocalStarter>;
inline Api& current() { return Current::current(); }

} // namespace ProgramStart
