// The work of the progress screen's worker thread (win32 build): start the package
// installer, wait for it and its clean-up program by program path, import the registry
// scripts that lie next to the set-up program.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

// What the worker asks of its screen. Every call is made on the worker thread and must
// not block on the screen's thread: the screen acts on posted requests.
class PackageRunHost {
public:
    virtual ~PackageRunHost() = default;
    virtual void StopTimer() = 0;
    // Fills the bar to its upper limit and stops the timer.
    virtual void FillBar() = 0;
    virtual bool WriteLogLine(const char* message) = 0;
    virtual bool ReadInstallStatus(std::uint32_t& status) = 0;
};

extern const char kPackageCommandLine[];   // " -r -s"

// Starts the package installer named by `package` (relative to the program folder),
// waits until it and "_ISDel.exe" beside it have ended, imports the registry scripts and
// fills the bar. False when the installer could not be started.
bool RunPackage(PackageRunHost& host, const std::string& package);

// Starts one registry editor run for a command line, without waiting.
using ScriptLauncher = std::function<void(const std::string& commandLine)>;

// Imports every registry script present next to the set-up program; always true.
bool ImportRegistryScripts();
// The same for the scripts in `folder`, handing each command line to `launch`.
void ImportRegistryScriptsFrom(const std::string& folder, const ScriptLauncher& launch);

// The system's 32-bit registry editor, by full path so that a disc folder cannot supply
// one: "<WOW64 system folder>\Regedit.exe" on 64-bit Windows, "<Windows folder>\Regedit.exe"
// elsewhere; quoted when the path holds a blank.
std::string SystemRegistryEditor();
// The WOW64 system folder (GetSystemWow64DirectoryA), where the system has one.
std::optional<std::string> Wow64SystemFolder();
