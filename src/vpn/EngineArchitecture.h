#pragma once

#include <QString>

// The processor the engines are built for, read from the kernel's machine name (uname).
enum class EngineArchitecture { Unknown, ARM, Intel64, Intel32 };

// "aarch64"/"arm64" are ARM (64-bit); "x86_64" Intel 64-bit; "i386"/"i686" Intel 32-bit; anything
// else (32-bit ARM included) Unknown, which no engine is shipped for.
EngineArchitecture engineArchitectureFromMachine(const QString &machine);
// The running kernel's machine name.
QString currentMachineName();
EngineArchitecture currentEngineArchitecture();
// "ARM", "Intel 64-bit", "Intel 32-bit"; empty for Unknown.
QString engineArchitectureText(EngineArchitecture architecture);
