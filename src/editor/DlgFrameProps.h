#pragma once

#include "document/ObjectProperties.h"

#include <QDialog>

#include <vector>

class CMainDoc;
class CSafeEdit;
class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSlider;
class QTimeEdit;

// The "Object properties" dialog: every setting of one object on a private
// copy (CObjectProperties), written into the object as one undo step on OK.
// Cancel leaves the object as it was.
class CDlgFrameProps : public QDialog
{
    Q_OBJECT

public:
    CDlgFrameProps(CMainDoc& doc, CFrame& object, QWidget* parent);
    ~CDlgFrameProps() override;

    // The copy as the controls have it now.
    const CObjectProperties& Properties() const { return props_; }

    void accept() override;

private:
    struct ChoiceList
    {
        QComboBox* box;
        int k;
        int CFrame::* member;
    };
    struct Flag
    {
        QCheckBox* box;
        int CFrame::* member;
    };
    struct Duration
    {
        CSafeEdit* edit;
        int CFrame::* member;
    };

    QWidget* BuildBackground();
    QWidget* BuildText();
    QWidget* BuildSource();
    QWidget* BuildPresentation();
    QWidget* BuildObject();

    QComboBox* List(int k, int CFrame::* member, int controlId, QWidget* parent);
    QCheckBox* Check(const QString& text, int CFrame::* member, int controlId, QWidget* parent);
    CSafeEdit* DurationEdit(int CFrame::* member, int controlId, const QString& name, QWidget* parent);
    QSlider* AlphaSlider(int alpha, int controlId, int textId, const QString& name, QLabel** text, QWidget* parent);

    // The controls into the copy.
    void Collect();
    // Shows and enables the controls for the copy's settings.
    void ApplyRules();
    // Sizes the dialog for the text source and movement that need the
    // most room, so that choosing others does not make it jump.
    void FitLargestSource();

    void SourceClicked(int source);
    void DirectionClicked(int direction);
    void ChooseColour();
    void ShowColour();
    void ShowTimes();
    void ShowSourceFile();

    CMainDoc& doc_;
    CFrame& object_;
    CObjectProperties props_;
    bool backgroundFailed_ = false;
    bool pageReplaced_ = false;
    // What the pickers were given: a stored time they cannot show is
    // written back only when the operator changed it.
    int shownStart_ = 0;
    int shownStop_ = 0;

    std::vector<ChoiceList> lists_;
    std::vector<Flag> flags_;
    std::vector<Duration> durations_;

    // Background
    QLabel* backgroundType_ = nullptr;
    QLabel* colourLabel_ = nullptr;
    QPushButton* colour_ = nullptr;
    QLabel* backgroundAlphaLabel_ = nullptr;
    QSlider* backgroundAlpha_ = nullptr;
    QLabel* backgroundAlphaText_ = nullptr;
    QCheckBox* loopAnimation_ = nullptr;
    QCheckBox* linkImage_ = nullptr;
    QLabel* imageFile_ = nullptr;
    QLabel* backgroundError_ = nullptr;
    // Text
    QSlider* textAlpha_ = nullptr;
    QLabel* textAlphaText_ = nullptr;
    QComboBox* movement_ = nullptr;
    QLabel* speedLabel_ = nullptr;
    QComboBox* speed_ = nullptr;
    QCheckBox* loop_ = nullptr;
    QCheckBox* reverse_ = nullptr;
    // Text source
    QButtonGroup* sources_ = nullptr;
    QLabel* sourceFileLabel_ = nullptr;
    QLabel* sourceFile_ = nullptr;
    QLabel* encodingLabel_ = nullptr;
    QComboBox* encoding_ = nullptr;
    QCheckBox* header_ = nullptr;
    QLabel* separatorLabel_ = nullptr;
    QComboBox* separator_ = nullptr;
    QCheckBox* barGraph_ = nullptr;
    QCheckBox* monitor_ = nullptr;
    QLabel* sourceError_ = nullptr;
    QLabel* clockFormatLabel_ = nullptr;
    QComboBox* clockFormat_ = nullptr;
    QLabel* timerFormatLabel_ = nullptr;
    QComboBox* timerFormat_ = nullptr;
    QLabel* timesLabel_ = nullptr;
    QTimeEdit* timerStart_ = nullptr;
    QLabel* timesDash_ = nullptr;
    QTimeEdit* timerStop_ = nullptr;
    QLabel* directionLabel_ = nullptr;
    QButtonGroup* directions_ = nullptr;
    // Presentation
    QLabel* showForLabel_ = nullptr;
    CSafeEdit* showFor_ = nullptr;
    QLabel* showForUnit_ = nullptr;
    QCheckBox* showIndefinitely_ = nullptr;
    QCheckBox* showWhileMoving_ = nullptr;
    // Object
    QComboBox* group_ = nullptr;
    QComboBox* hotkey_ = nullptr;
};
