#pragma once
// The pictures of every toolbar button, chosen in one place. They are our own drawings in full
// colour: the themes have nothing for several roles (the four views, entering a folder, the
// ASCII list), and their generic pictures are pale symbols that look disabled when they are not.

#include <QIcon>

enum class ToolBarIcon {
    Connect,
    AsciiList,
    Stop,
    Delete,
    Properties,
    NewFolder,
    Open,
    Refresh,
    Upload,
    Download,
    // The button strip between the panes: towards the server on the right, and back.
    UploadToTheRight,
    DownloadToTheLeft,
    EnterFolder,
    LargeIcons,
    SmallIcons,
    List,
    Details,
};

// The button picture for a role; a disabled button shows it greyed by the style.
QIcon toolBarIcon(ToolBarIcon role);

// The program's own application icon.
QIcon applicationIcon();

// The padlock the connection bar shows while the connection is encrypted.
QIcon padlockIcon();
