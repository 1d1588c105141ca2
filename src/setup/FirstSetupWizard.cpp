#include "setup/FirstSetupWizard.h"

#include "app/StringTable.h"
#include "content/RichEditTextRenderer.h"
#include "document/CanvasPicture.h"
#include "document/MainDoc.h"
#include "document/PreferencesEditing.h"
#include "editor/CommandIcons.h"
#include "editor/DialogControls.h"
#include "editor/DialogTranslation.h"
#include "render/display/VideoMode.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QVBoxLayout>
#include <QWizardPage>

namespace {

constexpr int kTitleText = 10652;
constexpr int kCancelledText = 10653;
constexpr int kRenderErrorTexts = 10320;  // + the error code
constexpr int kAutoText = 10214;
constexpr int kReadyPage = 106;
constexpr int kDonePage = 307;
constexpr QSize kExpectedSize{320, 180};
constexpr int kPlayingOnText = 10727;  // which mode on which output

QLabel* Text(const QString& text, int controlId, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    label->setProperty("tavrelId", controlId);
    return label;
}

QLabel* Icon(QWidget* parent)
{
    auto* icon = new QLabel(parent);
    icon->setPixmap(ProgramIcon(QStringLiteral("tavrel")).pixmap(64));
    icon->setAlignment(Qt::AlignTop);
    return icon;
}

// The colour bars as they should look on the output, drawn from the same
// builder as the test page: the stripes over black show the key's steps.
QPixmap ExpectedPicture()
{
    CFrameSet bars;
    BuildColourBars(bars, 1920, 1080);
    FrameList objects;
    bars.TakeSnapshot(objects);
    QImage black(1920, 1080, QImage::Format_ARGB32);
    black.fill(Qt::black);
    CCanvasPicture picture;
    picture.SetBackground(black);
    CRichEditTextRenderer noText;
    picture.Recompose(objects, {}, nullptr, noText);
    bars.ReleaseSnapshot();
    return QPixmap::fromImage(picture.Composed().scaled(kExpectedSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
}

class CPageFirstSetupReady : public QWizardPage
{
public:
    CPageFirstSetupReady(CSetupWizardRun& run, const std::vector<DisplayDeviceInfo>& devices, QWidget* parent)
        : QWizardPage(parent), run_(run), adapters_(AdapterEntries(devices))
    {
        setProperty("tavrelId", kReadyPage);
        mode_ = new QComboBox(this);
        mode_->setProperty("tavrelId", 1060);
        mode_->addItems(VideoModeListNames());
        mode_->setCurrentIndex(run.modeIndex);
        adapter_ = new QComboBox(this);
        adapter_->setProperty("tavrelId", 1063);
        int selected = 0;
        for (size_t i = 0; i < adapters_.size(); ++i) {
            adapter_->addItem(adapters_[i].text, adapters_[i].deviceName);
            // The stored device exactly, else "Auto".
            if (i > 0 && adapters_[i].deviceName == run.displayAdapter)
                selected = static_cast<int>(i);
        }
        adapter_->setCurrentIndex(selected);

        auto* form = new QFormLayout;
        auto* modeLabel = Text(QStringLiteral("&Mode"), 1103, this);
        modeLabel->setWordWrap(false);
        modeLabel->setBuddy(mode_);
        mode_->setAccessibleName(QStringLiteral("Mode"));
        auto* adapterLabel = Text(QStringLiteral("HDMI &connection"), 1112, this);
        adapterLabel->setWordWrap(false);
        adapterLabel->setBuddy(adapter_);
        adapter_->setAccessibleName(QStringLiteral("HDMI connection"));
        form->addRow(modeLabel, mode_);
        form->addRow(adapterLabel, adapter_);

        auto* texts = new QVBoxLayout;
        texts->addWidget(Text(QStringLiteral("Connect appropriate hardware to your PC HDMI output. If your PC has several "
                                             "video outputs, choose one from the 'HDMI connection' list. Select desired "
                                             "video mode and click <Next> to continue."),
                              1066, this));
        texts->addLayout(form);
        texts->addSpacing(12);
        texts->addWidget(Text(QStringLiteral("If you have trouble turning on HDMI output, please try the following:\n\n"
                                             "Manually enable secondary display, set resolution and refresh rate to "
                                             "match the video mode needed and enable 'extended display' mode."),
                              1067, this));
        texts->addStretch(1);
        auto* layout = new QHBoxLayout(this);
        layout->addWidget(Icon(this));
        layout->addLayout(texts, 1);
        TranslateDialog(this);
    }

    bool validatePage() override
    {
        run_.modeIndex = mode_->currentIndex();
        run_.displayAdapter = adapter_->currentData().toString();
        const int error = run_.StartTestOutput();
        if (error == 0)
            return true;
        QMessageBox::critical(this, LoadText(kTitleText), LoadText(kRenderErrorTexts + error));
        return false;
    }

private:
    CSetupWizardRun& run_;
    std::vector<AdapterEntry> adapters_;
    QComboBox* mode_;
    QComboBox* adapter_;
};

class CPageFirstSetupDone : public QWizardPage
{
public:
    CPageFirstSetupDone(CSetupWizardRun& run, QWidget* parent) : QWizardPage(parent), run_(run)
    {
        setProperty("tavrelId", kDonePage);
        auto* expected = new QLabel(this);
        expected->setObjectName(QStringLiteral("expectedPicture"));
        expected->setPixmap(ExpectedPicture());
        expected->setAccessibleName(QStringLiteral("The colour bars as they should look"));
        playingOn_ = new QLabel(this);
        playingOn_->setObjectName(QStringLiteral("playingOn"));
        playingOn_->setWordWrap(true);
        QFont bold = playingOn_->font();
        bold.setBold(true);
        playingOn_->setFont(bold);
        range_ = new QCheckBox(QStringLiteral("HDMI output is &full range RGB (0 - 255)"), this);
        range_->setProperty("tavrelId", 1048);
        connect(range_, &QCheckBox::clicked, this, [this](bool checked) { run_.SetFullRange(checked ? 1 : 0); });

        auto* texts = new QVBoxLayout;
        texts->addWidget(Text(QStringLiteral("HDMI output was successfully activated!\nYou should now see the color "
                                             "bars displayed."),
                              1066, this));
        texts->addWidget(playingOn_);
        texts->addWidget(expected, 0, Qt::AlignHCenter);
        texts->addWidget(Text(QStringLiteral("Top half of the picture shows completely opaque color bars. Bottom half "
                                             "shows four horizontal stripes of color bars. First one is completely "
                                             "transparent (you shouldn't see it), other three are gradually more "
                                             "opaque."),
                              1070, this));
        texts->addWidget(Text(QStringLiteral("Seeing four or two stripes instead of three? Change RGB range mode to "
                                             "match your video adapter settings:"),
                              1067, this));
        texts->addWidget(range_);
        texts->addWidget(Text(QStringLiteral("Color bars are distorted? (vertical stripes instead of bars of solid "
                                             "color)? Look for overscan/underscan in video adapter settings. "
                                             "Overscan/underscan should be disabled (or set to 0%)."),
                              1069, this));
        texts->addWidget(Text(QStringLiteral("If you can see the picture clearly, click <Finish> to close this wizard. "
                                             "Or click <Back> to try different video mode."),
                              1068, this));
        auto* layout = new QHBoxLayout(this);
        layout->addWidget(Icon(this));
        layout->addLayout(texts, 1);
        TranslateDialog(this);
    }

    void initializePage() override
    {
        range_->setChecked(run_.fullHdmiRange != 0);
        // Which mode plays on which output, as the operator chose them.
        const QStringList modes = VideoModeListNames();
        const QString output = run_.displayAdapter.isEmpty() ? LoadText(kAutoText) : run_.displayAdapter;
        playingOn_->setText(FormatText(kPlayingOnText, modes.value(run_.modeIndex).toUtf8().constData(),
                                       output.toUtf8().constData()));
    }
    // Back: the test output goes off.
    void cleanupPage() override { run_.StopTestOutput(); }

private:
    CSetupWizardRun& run_;
    QLabel* playingOn_;
    QCheckBox* range_;
};

}  // namespace

CFirstSetupWizard::CFirstSetupWizard(CSetupWizardRun& run, const std::vector<DisplayDeviceInfo>& devices,
                                     QWidget* parent)
    : QWizard(parent)
{
    setObjectName(QStringLiteral("setupWizard"));
    setWindowTitle(LoadText(kTitleText));
    setWizardStyle(QWizard::ClassicStyle);
    setOption(QWizard::NoBackButtonOnStartPage);
    addPage(new CPageFirstSetupReady(run, devices, this));
    addPage(new CPageFirstSetupDone(run, this));
}

void CFirstSetupWizard::keyPressEvent(QKeyEvent* event)
{
    // Enter and Escape are keystrokes for the focused control, never Next,
    // Finish or Cancel.
    if (IsDialogEndKey(*event))
        event->accept();
    else
        QWizard::keyPressEvent(event);
}

void CFirstSetupWizard::closeEvent(QCloseEvent* event)
{
    event->ignore();
}

void RunSetupWizard(CMainDoc& doc, QWidget* parent, const DisplayDevicesFunction& devices)
{
    if (!CSetupWizardRun::BeginOnNewPage(doc))
        return;
    CSetupWizardRun run(doc);
    bool finished = false;
    {
        CFirstSetupWizard wizard(run, devices ? devices() : std::vector<DisplayDeviceInfo>{}, parent);
        finished = wizard.exec() == QDialog::Accepted;
    }
    run.StopTestOutput();
    if (finished)
        run.Finish();
    if (CSetupWizardRun::EndFirstRun(!finished))
        QMessageBox::warning(parent, LoadText(kTitleText), LoadText(kCancelledText));
}
