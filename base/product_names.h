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
#define ZV_START_MENU_FOLDER "Zevrin 2"

namespace names {

// Several names of one kind share a declaration.

// The user's folders (HKEY_CURRENT_USER; the machine's for "Common..." names) and the fallback
// values under CurrentVersion (HKEY_LOCAL_MACHINE).
inline constexpr char kShellFoldersKey[] = ZV_CURRENT_VERSION "\\Explorer\\Shell Folders",
                      kCurrentVersionKey[] = ZV_CURRENT_VERSION;
inline constexpr char kProgramsValue[] = "Programs", kStartUpValue[] = "StartUp";
inline constexpr char kProgramFilesToken[] = "$Program Files$\\Zevrin 2",
                      kProgramFilesDefault[] = "C:\\Program Files\\Zevrin 2";

// The product's own keys (HKEY_CURRENT_USER): Software\Moravel\ZV2 and its subkeys.
inline constexpr char kMakerKey[] = ZV_MAKER_KEY, kProductKey[] = ZV_PRODUCT_KEY, kProductKeyName[] = "ZV2";
inline constexpr char kSettingsKey[] = ZV_PRODUCT_KEY "\\settings", kSettingsKeyName[] = "settings",
                      kToolbarsKeyName[] = "toolbars", kInstallFolderValue[] = "instdir";

// The entry in the list of installed programs (HKEY_LOCAL_MACHINE), and what it shows.
inline constexpr char kUninstallParent[] = ZV_UNINSTALL_PARENT, kUninstallKeyName[] = "ZV2",
                      kUninstallKey[] = ZV_UNINSTALL_PARENT "\\ZV2";
inline constexpr char kProductTitle[] = "Zevrin 2", kProductVersion[] = "2.1.0", kMakerName[] = "Moravel";

// The help file's folder (HKEY_LOCAL_MACHINE), a value named after the help file.
inline constexpr char kHelpKey[] = "Software\\Microsoft\\Windows\\Help";

// The macro-list file association (HKEY_CLASSES_ROOT).
inline constexpr char kListExtension[] = ".zvl", kListClass[] = ZV_LIST_CLASS,
                      kListIconKey[] = ZV_LIST_CLASS "\\DefaultIcon", kListShellKey[] = ZV_LIST_CLASS "\\Shell";
inline constexpr char kListOpenKey[] = ZV_LIST_CLASS "\\Shell\\Open",
                      kListOpenCommandKey[] = ZV_LIST_CLASS "\\Shell\\Open\\command";
inline constexpr char kListImportKey[] = ZV_LIST_CLASS "\\Shell\\Import",
                      kListImportCommandKey[] = ZV_LIST_CLASS "\\Shell\\Import\\command";

// Sound events (HKEY_CURRENT_USER): the application's scheme key, an event's key below it, and
// the event labels.
inline constexpr char kSchemeParent[] = ZV_SCHEME_PARENT, kSchemeName[] = ZV_SCHEME_NAME,
                      kSchemeKey[] = ZV_SCHEME_KEY, kSchemePrefix[] = ZV_SCHEME_KEY "\\";
inline constexpr char kLabelParent[] = "AppEvents\\EventLabels", kLabelPrefix[] = "AppEvents\\EventLabels\\";

// The Start Menu folder and its links; the StartUp link, and the one an earlier version left.
inline constexpr char kStartMenuFolder[] = ZV_START_MENU_FOLDER, kProductLink[] = "Zevrin.lnk", kHelpLink[] = "Help.lnk",
                      kUninstallLink[] = "Uninstall.lnk", kEarlierStartUpLink[] = "ZV.lnk";

// Files of the product and of setup, and the folder that keeps the user's changed files.
inline constexpr char kProductExe[] = "zv.exe", kSetupExe[] = "setup.exe", kHelpFile[] = "zv2help.hlp",
                      kBackupFolder[] = "Backup", kObsoleteSourceFile[] = "type cat file.txt";
inline constexpr char kUninstallArgument[] = "uninstall";

// Mutexes and windows shared with the product and its earlier version.
inline constexpr char kSetupMutex[] = "ZVSetup_InstMutex.", kProductMutex[] = "ZV2_InstMutex.";
inline constexpr char kProductWindowClass[] = "ZV_Editor", kEarlierWindowClass[] = "ThunderRT5Form",
                      kEarlierWindowTitle[] = "Zevrin";

}  // namespace names
