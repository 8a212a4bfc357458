#pragma once

// Where the install and uninstall sequences read the user's "Programs" and "StartUp" folders.
inline constexpr char kUserShellFolders[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
