// Shell links (".lnk" files) to the installed product's files, in one of the
// current user's shell folders as its "Shell Folders" registry key names
// them, optionally inside a program group one level below that folder.
#pragma once

#include <cstdint>
#include <string>

class TMultiLanguage;

// The place of a shortcut, an 8-bit code; any other code names no folder.
enum ShortcutLocation : uint8_t {
    slDesktop = 0,      // "Desktop"
    slStartMenu = 1,    // "Start Menu"
    slPrograms = 2,     // "Programs"
    slStartup = 3,      // "Startup"
    slQuickLaunch = 4,  // "AppData" + "\Microsoft\Internet Explorer\Quick Launch"
};

// Whose desktop and Start menu the shortcuts go to: the current user's, as
// the user's "Shell Folders" key names them, or every user's, the common
// (All Users) folders as the shell names them. An installation for the whole
// machine (a deployment engine's, run as SYSTEM, whose own folders nobody
// sees) puts them where every user sees them. The choice holds for the
// process; the current user's until it is changed.
enum class TShortcutOwner { CurrentUser, AllUsers };
void SetShortcutOwner(TShortcutOwner owner);
TShortcutOwner ShortcutOwner();

// The folder the owner's shortcuts of a location go to (without a final
// backslash); empty when there is none. Raises as CreateShortcut does for a
// folder value that is not a string.
std::wstring ShortcutFolder(ShortcutLocation location);

// Makes a link to target, working in the target's folder, with the given
// arguments (when not empty), described by its name: name, or the target's
// file name when name is empty, or message "00000_00016" when target is
// empty. The link file is that name with its extension replaced by ".lnk",
// in the location's folder (the owner's) or in its subfolder group, which is created when
// missing (one level only). An existing link of that name is replaced.
// True when the link file was saved; false when the "Shell Folders" key,
// the folder value or the group is missing, or the save fails. (Every
// user's folders: the desktop, "Start Menu", "Programs" and "Startup"; there
// is no common Quick Launch.) Raises when
// the shell link object cannot be made or a folder value is not a string
// ("Invalid data type for '<name>'").
bool CreateShortcut(const TMultiLanguage& catalogue, const std::wstring& target, const std::wstring& name,
                    ShortcutLocation location, const std::wstring& group = {}, const std::wstring& arguments = {});
