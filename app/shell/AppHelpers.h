#pragma once
// Small helpers of the shell: the program's folder and name, the version text,
// the interface-language rule and the pack file it picks.
#include <QString>

namespace shell {

// The text as the core takes it: UTF-16, alive as long as the string.
inline const char16_t* wide(const QString& s)
{
    return reinterpret_cast<const char16_t*>(s.utf16());
}

// Folder of the running program, ending with "/".
QString GetAppFolder();
// The program file's name without folder and extension.
QString GetExeBaseName();
// Creates base + name unless it exists; 1 when it exists afterwards.
int EnsureSubfolder(const QString& base, const QString& name);
// 1 when the program file is named exactly "Tavrelo".
int IsProductBuild();
// The program's version as "major.minor.build.revision".
QString GetFileVersionText();
// 1 when the process runs as root.
int IsUserAdmin();

// The user's default language as a Windows language identifier (primary
// language in the low 10 bits): 0x0804, 0x0404, 0x0C04, 0x0409, ...
int UserDefaultLangId();
// The language actually used for a stored setting (platform/Languages.h):
// the automatic setting follows the user's language, never giving
// Traditional Chinese.
int ChooseUiLanguage(int setting, int userLangId);
int ChooseUiLanguage(int setting);
// The language's pack file ("UI_EN.rcc").
QString LanguagePackFileName(int language);

// Whether this process may open raw Ethernet captures (CAP_NET_RAW).
bool HasRawEthernetCapability();

// How "config.ini" keeps a screen's file: relative to the program's folder
// when the file lies inside it (the folder, ending with "/", is a leading
// part of the path), else as given.
QString StoredScreenPath(const QString& path, const QString& appFolder);
// The file a stored path names: relative paths lie in the program's folder.
QString ResolveScreenPath(const QString& stored, const QString& appFolder);

} // namespace shell
