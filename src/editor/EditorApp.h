#pragma once

#include "document/InterfaceTimer.h"
#include "document/MainDoc.h"
#include "render/display/DisplayBackend.h"

#include <QString>

#include <functional>
#include <memory>
#include <vector>

class CMainFrame;
class IGlobalHotkeys;

// The editor program once the instance kind is decided: the document, the
// main window as its host, the interface timer, and in the playout instance
// the global hotkeys. Made the same way by the program and by its tests.
class CEditorApp
{
public:
    struct Options
    {
        bool editMode = false;
        // The page named on the command line (edit-only instances).
        QString pageToOpen;
        // Left empty: the real output engine, system clock and X11 hotkeys.
        MainDocServices services;
        bool realServices = true;
        // Null: a Qt timer of the interface period.
        IInterfaceTimer* timer = nullptr;
        // The display outputs the preferences offer; empty: XRandR's with
        // the real services, none otherwise.
        std::function<std::vector<DisplayDeviceInfo>()> displayDevices;
    };

    explicit CEditorApp(const Options& options);
    ~CEditorApp();

    // Opens the page to open, shows the window as it was left and starts
    // the timer. False when the page could not be read (the operator was
    // told why): the program ends then.
    bool Start();

    CMainDoc& Doc() { return *doc_; }
    CMainFrame& Frame() { return *frame_; }

private:
    void Tick();

    Options options_;
    std::unique_ptr<IGlobalHotkeys> hotkeys_;
    std::unique_ptr<CQtInterfaceTimer> ownTimer_;
    IInterfaceTimer* timer_;
    // The window goes first: it switches a preview off while its pane exists.
    std::unique_ptr<CMainDoc> doc_;
    std::unique_ptr<CMainFrame> frame_;
};
