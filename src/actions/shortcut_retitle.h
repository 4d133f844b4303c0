// Retitling of the kit's installation shortcut on the user's desktop once the kit is
// installed: "Install Vorda Orvalis Tool Kit.lnk" becomes "Vorda Orvalis Tool Kit.lnk".
#pragma once

#include <map>
#include <string>

// Old shortcut name -> new name, both ending in ".lnk", in byte-wise order of the old names.
using RetitlingTable = std::map<std::string, std::string>;

// Built from string-table entries 5000..5010 (old names) and 5011..5021 (new names) of the
// resource instance. A pair with a missing entry is left out.
RetitlingTable BuildRetitlingTable();

// Renames the first shortcut of the table, in key order, that is on the desktop. True when
// one was found (even if the move itself failed); false when the desktop folder cannot be
// determined or no listed shortcut is there.
bool RetitleDesktopShortcut();
