#pragma once

#include <QString>

#include <cstdint>

// The document's preferences as section "Preferences" stores them and the
// preferences dialog edits them: the video mode, how the output starts and
// drives its display, and the pages pane's root folder and default action.
struct DocumentPreferences
{
    int mode = 0;
    int autoStartOutput = 0;
    int noRestoreDisplays = 0;
    QString rootFolder;
    QString displayAdapter;
    int alternativeSync = 0;
    int fullHdmiRange = 1;
    int defaultTreeAction = 0;
    // The switcher console link: stored with the others and written back,
    // not edited by the dialog. The link never starts, so useRemote always
    // reads 0.
    int useRemote = 0;
    uint32_t remoteIp = 0;

    // The stored values. A damaged mode reads as the first one. Without a
    // root folder (the first start) the pages folder is made in the
    // documents folder and stored at once.
    static DocumentPreferences Load();
    // Stores every value.
    void Save() const;
    // The dialog's OK: takes its values, the mode only when it is a known
    // mode and modeMayChange. The console link keeps its stored values.
    // Returns whether the mode changed.
    bool Take(const DocumentPreferences& values, bool modeMayChange);
};
