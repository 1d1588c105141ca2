#pragma once

#include "model/Picture.h"

#include <QObject>
#include <QString>

class CMainDoc;

// What the pages pane does with the file selected in it: load the page,
// add it to the page on screen, either of them and play, open it in an
// editor instance, rename it, or run the default action of a double click;
// and the thumbnail of the selected page. A script file selected is loaded
// into the document's runner instead: Load and play starts it, Open in
// editor shows it in the script editor. Every action does nothing without
// a selection. Owned by the document; the pane's widget shows and forwards.
// Questions and messages go to the document's host of the moment.
class CPagesPaneController : public QObject
{
    Q_OBJECT

public:
    explicit CPagesPaneController(CMainDoc& doc);

    // The file the pane selected (empty: none).
    void SetSelection(const QString& path);
    const QString& SelectedPath() const { return path_; }
    bool SelectionIsScript() const { return isScript_; }

    void Load();
    void Add();
    void LoadAndPlay();
    void AddAndPlay();
    void OpenInEditor();
    void Rename();
    // The action the preferences name (defaultTreeAction); a script always
    // loads and plays.
    void DefaultAction();

    // The thumbnail of a selected page file; anything else (isPageFile 0, a
    // file without one) clears it. Reads without a message.
    void LoadThumbnail(int isPageFile, const QString& path);
    bool ThumbnailValid() const { return thumbnailValid_; }
    const CPicture& Thumbnail() const { return thumbnail_; }

signals:
    // A thumbnail was loaded, or the one shown was cleared.
    void ThumbnailChanged();

private:
    CMainDoc& doc_;
    QString path_;
    bool isScript_ = false;
    bool thumbnailValid_ = false;
    CPicture thumbnail_;
};
