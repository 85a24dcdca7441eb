// Where the program and its files live: the executable's folder, the
// temporary folder, the user's folders and the process's private work folder.
#pragma once

#include <string>

namespace platform {

// Full path of the running executable; empty if the system cannot say.
std::string ExecutablePath();

// Text before the last separator of a path ("" when it has none).
std::string FolderOf(const std::string& path);

// Text after the last separator of a path (the whole path when it has none).
std::string FileNameOf(const std::string& path);

// The folder text without trailing separators, so that "in/" and "in" name
// one folder when paths are joined or compared; the root stays "/".
std::string WithoutTrailingSeparators(const std::string& folder);

// folder, one separator and name; name alone when folder is empty.
std::string JoinPath(const std::string& folder, const std::string& name);

// The temporary folder: $TMPDIR when set and non-empty, else "/tmp"; always
// ends with a separator so that names can be appended directly.
std::string TempFolder();

// The user's configuration and state folders for this program
// ($XDG_CONFIG_HOME or ~/.config, $XDG_STATE_HOME or ~/.local/state, each with
// a "tarvelo" sub-folder). They are not created here.
std::string UserConfigFolder();
std::string UserStateFolder();

// True when a new file could be created in the folder.
bool IsFolderWritable(const std::string& folder);

// Creates a fresh folder, readable only by this user, below the temporary
// folder; "" on failure.
std::string CreatePrivateWorkFolder();

constexpr char kSeparator = '/';

} // namespace platform
