// The kit's Netscape Navigator plug-in folders: recorded under the client key as
// NPPath1, NPPath2, ... by RecordPluginFolders, and checked for the two
// plug-in files when the set-up decides whether the kit is already installed.
#pragma once

#include <string>

class SetupServices;

// Appended to a recorded folder as it stands.
extern const char kPluginLibraryFile[];  // "\NPVEX32.DLL"
extern const char kPluginClassFile[];    // "\NPVEX32.class"

// Reads the recorded folders one by one: NPPath1 on the first call, then NPPath2, ...
class RecordedFolderReader {
public:
    RecordedFolderReader() = default;
    virtual ~RecordedFolderReader() = default;

    // False when the client key cannot be opened, or the next value is missing or longer
    // than 260 bytes.
    bool NextRecordedFolder(std::string& folder);

private:
    unsigned next_ = 1;
};

// Records the browser's plug-in folders as NPPath1, NPPath2, ... through services;
// always true.
bool RecordPluginFolders(SetupServices& services);

// True when every recorded folder holds both plug-in files (also when none is recorded).
bool PluginFilesPresent();
