#pragma once
// Every name setup.exe shares with the system, the product and the user, spelled once: registry
// keys and values, folders, links and files, mutexes and windows. The code and the tests use
// these; a key built from a parent and a name is put together here from the same pieces.
// Registry keys compare ignoring case, but each is spelled one way only.

// Pieces that longer names are made of.
#define ZV_CURRENT_VERSION "Software\\Microsoft\\Windows\\CurrentVersion"
#define ZV_MAKER_KEY "Software\\Moravel"
#define ZV_PRODUCT_KEY ZV_MAKER_KEY "\\ZV2"
#define ZV_UNINSTALL_PARENT ZV_CURRENT_VERSION "\\Uninstall"
#define ZV_LIST_CLASS "zvlfile"
#define ZV_SCHEME_PARENT "AppEvents\\Schemes\\Apps"
#define ZV_SCHEME_NAME "Zevrin"
#define ZV_SCHEME_KEY ZV_SCHEME_PARENT "\\" ZV_SCHEME_NAME

namespace names {

// The user's folders (HKEY_CURRENT_USER, the machine's for "Common..." names, Part of paths/).
inline constexpr char kShellFoldersKey[] = ZV_CURRENT_VERSION "\\Explorer\\Shell Folders";
inline constexpr char kCurrentVersionKey[] = ZV_CURRENT_VERSION;  // HKEY_LOCAL_MACHINE
inline constexpr char kProgramsValue[] = "Programs";
inline constexpr char kStartUpValue[] = "StartUp";
inline constexpr char kProgramFilesToken[] = "$Program Files$\\Zevrin 2";
inline constexpr char kProgramFilesDefault[] = "C:\\Program Files\\Zevrin 2";

// The product's own keys (HKEY_CURRENT_USER).
inline constexpr char kMakerKey[] = ZV_MAKER_KEY;
inline constexpr char kProductKey[] = ZV_PRODUCT_KEY;
inline constexpr char kProductKeyName[] = "ZV2";
inline constexpr char kSettingsKeyName[] = "settings";
inline constexpr char kToolbarsKeyName[] = "toolbars";
inline constexpr char kSettingsKey[] = ZV_PRODUCT_KEY "\\settings";
inline constexpr char kInstallFolderValue[] = "instdir";

// The list of installed programs (HKEY_LOCAL_MACHINE).
inline constexpr char kUninstallParent[] = ZV_UNINSTALL_PARENT;
inline constexpr char kUninstallKeyName[] = "ZV2";
inline constexpr char kUninstallKey[] = ZV_UNINSTALL_PARENT "\\ZV2";
inline constexpr char kMakerName[] = "Moravel";
inline constexpr char kProductTitle[] = "Zevrin 2";
inline constexpr char kProductVersion[] = "2.1.0";

// The help file's folder (HKEY_LOCAL_MACHINE).
inline constexpr char kHelpKey[] = "Software\\Microsoft\\Windows\\Help";

// The macro-list file association (HKEY_CLASSES_ROOT).
inline constexpr char kListExtension[] = ".zvl";
inline constexpr char kListClass[] = ZV_LIST_CLASS;
inline constexpr char kListIconKey[] = ZV_LIST_CLASS "\\DefaultIcon";
inline constexpr char kListShellKey[] = ZV_LIST_CLASS "\\Shell";
inline constexpr char kListOpenKey[] = ZV_LIST_CLASS "\\Shell\\Open";
inline constexpr char kListImportKey[] = ZV_LIST_CLASS "\\Shell\\Import";
inline constexpr char kListOpenCommandKey[] = ZV_LIST_CLASS "\\Shell\\Open\\command";
inline constexpr char kListImportCommandKey[] = ZV_LIST_CLASS "\\Shell\\Import\\command";

// Sound events (HKEY_CURRENT_USER).
inline constexpr char kSchemeParent[] = ZV_SCHEME_PARENT;
inline constexpr char kSchemeName[] = ZV_SCHEME_NAME;
inline constexpr char kSchemeKey[] = ZV_SCHEME_KEY;
inline constexpr char kSchemePrefix[] = ZV_SCHEME_KEY "\\";
inline constexpr char kLabelParent[] = "AppEvents\\EventLabels";
inline constexpr char kLabelPrefix[] = "AppEvents\\EventLabels\\";

// Folders, links and files.
inline constexpr char kStartMenuFolder[] = "Zevrin 2";
inline constexpr char kProductLink[] = "Zevrin.lnk";
inline constexpr char kHelpLink[] = "Help.lnk";
inline constexpr char kUninstallLink[] = "Uninstall.lnk";
inline constexpr char kEarlierStartUpLink[] = "ZV.lnk";
inline constexpr char kBackupFolder[] = "Backup";
inline constexpr char kProductExe[] = "zv.exe";
inline constexpr char kSetupExe[] = "setup.exe";
inline constexpr char kHelpFile[] = "zv2help.hlp";
inline constexpr char kObsoleteSourceFile[] = "type cat file.txt";
inline constexpr char kUninstallArgument[] = "uninstall";

// Mutexes and windows shared with the product and its earlier version.
inline constexpr char kSetupMutex[] = "ZVSetup_InstMutex.";
inline constexpr char kProductMutex[] = "ZV2_InstMutex.";
inline constexpr char kProductWindowClass[] = "ZV_Editor";
inline constexpr char kEarlierWindowClass[] = "ThunderRT5Form";
inline constexpr char kEarlierWindowTitle[] = "Zevrin";

}  // namespace names
