#include "editor/DlgPreferences.h"

#include "app/StringTable.h"
#include "content/RichTextFormat.h"
#include "editor/DialogButtons.h"
#include "editor/DialogControls.h"
#include "editor/DialogTranslation.h"
#include "editor/SafeEdit.h"
#include "render/display/VideoMode.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

// The dialog and its controls carry the ids language packs key on.
constexpr int kDialogId = 306;
constexpr int kModeList = 1060;
constexpr int kModeWarning = 1061;
constexpr int kAdapterList = 1063;
constexpr int kFullRange = 1048;
constexpr int kAlternativeSync = 1047;
constexpr int kAutoStart = 1036;
constexpr int kNoRestore = 1045;
constexpr int kFolderText = 1023;
constexpr int kFolderButton = 1038;
constexpr int kDefaultActionList = 1066;
constexpr int kLargeToolbar = 1039;
constexpr int kSnap = 1037;
constexpr int kGridLabel = 1102;
constexpr int kGridEdit = 1035;
constexpr int kCheckered = 1040;
constexpr int kSolid = 1041;
constexpr int kColourButton = 1022;
constexpr int kMarginHEdit = 1042;
constexpr int kMarginVEdit = 1043;
constexpr int kModeLabel = 1103;
constexpr int kAdapterLabel = 1112;
constexpr int kFolderLabel = 1101;
constexpr int kDefaultActionLabel = 1121;
constexpr int kMarginHLabel = 1110;
constexpr int kMarginVLabel = 1111;
constexpr int kDefaultActionTexts = 10640;  // 10640..10644
constexpr int kDefaultActionCount = 5;
const QColor kWarningColour(224, 0, 0);
const QString kDigits = QStringLiteral("0123456789");

CSafeEdit* Number(int value, int id, QWidget* parent)
{
    auto* edit = Tagged(new CSafeEdit(kDigits, parent), id);
    edit->setText(QString::asprintf("%d", value));
    edit->setMaxLength(4);
    edit->setMaximumWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 16);
    return edit;
}

int NumberOf(const CSafeEdit* edit)
{
    // Text that is not a number reads as 0.
    return edit->text().toInt();
}

}  // namespace

CDlgPreferences::CDlgPreferences(const PreferencesDialogState& state, const std::vector<DisplayDeviceInfo>& devices,
                                 QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      state_(state)
{
    setProperty("tavrelId", kDialogId);
    setObjectName(QStringLiteral("preferencesDialog"));
    setWindowTitle(QStringLiteral("Preferences"));
    auto* layout = new QVBoxLayout(this);

    // The output, only in the playout instance: an editor never changes it.
    if (!state.editMode) {
        auto* output = new QGroupBox(QStringLiteral("Output"), this);
        auto* form = new QFormLayout(output);
        mode_ = Tagged(new QComboBox(output), kModeList);
        mode_->addItems(VideoModeListNames());
        mode_->setCurrentIndex(state.modeIndex);
        mode_->setEnabled(state.canChangeMode);
        form->addRow(Tagged(Caption(QStringLiteral("&Mode"), mode_, output), kModeLabel), mode_);
        if (!state.canChangeMode) {
            auto* warning = Tagged(
                new QLabel(QStringLiteral("Turn off HDMI/preview output and clear current page to change mode!"),
                           output),
                kModeWarning);
            warning->setObjectName(QStringLiteral("modeWarning"));
            warning->setWordWrap(true);
            QPalette red = warning->palette();
            red.setColor(QPalette::WindowText, kWarningColour);
            warning->setPalette(red);
            form->addRow(warning);
        } else {
            adapters_ = AdapterEntries(devices);
            adapter_ = Tagged(new QComboBox(output), kAdapterList);
            for (const AdapterEntry& entry : adapters_)
                adapter_->addItem(entry.text, entry.deviceName);
            adapter_->setCurrentIndex(AdapterEntryOf(adapters_, state.preferences.displayAdapter));
            form->addRow(Tagged(Caption(QStringLiteral("HDMI &connection"), adapter_, output), kAdapterLabel), adapter_);
        }
        fullRange_ = Tagged(new QCheckBox(QStringLiteral("HDMI output is &full range RGB (0 - 255)"), output), kFullRange);
        fullRange_->setChecked(state.preferences.fullHdmiRange != 0);
        fullRange_->setEnabled(state.canChangeMode);
        alternativeSync_ =
            Tagged(new QCheckBox(QStringLiteral("Use alternative &vertical sync method"), output), kAlternativeSync);
        alternativeSync_->setChecked(state.preferences.alternativeSync != 0);
        alternativeSync_->setEnabled(state.canChangeMode);
        autoStart_ = Tagged(new QCheckBox(QStringLiteral("&Switch HDMI output on on startup"), output), kAutoStart);
        autoStart_->setChecked(state.preferences.autoStartOutput != 0);
        noRestore_ =
            Tagged(new QCheckBox(QStringLiteral("Do &not restore monitor configuration on exit"), output), kNoRestore);
        noRestore_->setChecked(state.preferences.noRestoreDisplays != 0);
        for (QCheckBox* box : {fullRange_, alternativeSync_, autoStart_, noRestore_})
            form->addRow(box);

        auto* pages = new QHBoxLayout;
        folder_ = Tagged(new QLabel(QDir::toNativeSeparators(state.preferences.rootFolder), output), kFolderText);
        folder_->setObjectName(QStringLiteral("pagesFolder"));
        MarkDynamicText(folder_);
        folder_->setTextInteractionFlags(Qt::TextSelectableByMouse);
        folder_->setFrameShape(QFrame::StyledPanel);
        folder_->setMinimumWidth(260);
        auto* browse = Tagged(new QPushButton(QStringLiteral("..."), output), kFolderButton);
        browse->setAccessibleName(QStringLiteral("Choose the pages folder"));
        connect(browse, &QPushButton::clicked, this, &CDlgPreferences::ChooseFolder);
        pages->addWidget(folder_, 1);
        pages->addWidget(browse);
        form->addRow(Tagged(Caption(QStringLiteral("&Pages folder"), browse, output), kFolderLabel), pages);
        layout->addWidget(output);
    }

    auto* editor = new QGroupBox(QStringLiteral("Editor"), this);
    auto* form = new QFormLayout(editor);
    defaultAction_ = Tagged(new QComboBox(editor), kDefaultActionList);
    for (int i = 0; i < kDefaultActionCount; ++i)
        defaultAction_->addItem(LoadText(kDefaultActionTexts + i));
    defaultAction_->setCurrentIndex(state.preferences.defaultTreeAction);
    form->addRow(Tagged(Caption(QStringLiteral("Pages pane default &action"), defaultAction_, editor), kDefaultActionLabel), defaultAction_);
    largeToolbar_ =
        Tagged(new QCheckBox(QStringLiteral("Use &large icons in toolbars (requires restart)"), editor), kLargeToolbar);
    largeToolbar_->setChecked(state.largeToolbar != 0);
    form->addRow(largeToolbar_);
    snap_ = Tagged(new QCheckBox(QStringLiteral("Snap objects to &grid"), editor), kSnap);
    snap_->setChecked(state.snapToGrid != 0);
    form->addRow(snap_);
    grid_ = Number(state.gridStep, kGridEdit, editor);
    gridLabel_ = Tagged(Caption(QStringLiteral("g&rid size (2 - 50 pixels)"), grid_, editor), kGridLabel);
    form->addRow(gridLabel_, grid_);
    checkered_ = Tagged(new QRadioButton(QStringLiteral("C&heckered background"), editor), kCheckered);
    solid_ = Tagged(new QRadioButton(QStringLiteral("S&olid background"), editor), kSolid);
    auto* backgrounds = new QButtonGroup(this);
    backgrounds->addButton(checkered_);
    backgrounds->addButton(solid_);
    (state.background != 0 ? solid_ : checkered_)->setChecked(true);
    colour_ = Tagged(new QPushButton(editor), kColourButton);
    colour_->setAccessibleName(QStringLiteral("Background colour"));
    connect(colour_, &QPushButton::clicked, this, &CDlgPreferences::ChooseColour);
    auto* solidRow = new QHBoxLayout;
    solidRow->addWidget(solid_);
    solidRow->addWidget(colour_);
    solidRow->addStretch(1);
    form->addRow(checkered_);
    form->addRow(solidRow);
    marginH_ = Number(state.marginH, kMarginHEdit, editor);
    marginV_ = Number(state.marginV, kMarginVEdit, editor);
    form->addRow(Tagged(Caption(QStringLiteral("&Horizontal safety margin (%)"), marginH_, editor), kMarginHLabel), marginH_);
    form->addRow(Tagged(Caption(QStringLiteral("V&ertical safety margin (%)"), marginV_, editor), kMarginVLabel), marginV_);
    layout->addWidget(editor);
    layout->addWidget(OkCancelButtons(this));
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(snap_, &QCheckBox::toggled, this, &CDlgPreferences::ApplyVisibility);
    connect(solid_, &QRadioButton::toggled, this, &CDlgPreferences::ApplyVisibility);
    ShowColour();
    ApplyVisibility();
    TranslateDialog(this);
}

void CDlgPreferences::ApplyVisibility()
{
    gridLabel_->setVisible(snap_->isChecked());
    grid_->setVisible(snap_->isChecked());
    colour_->setVisible(solid_->isChecked());
}

void CDlgPreferences::ShowColour()
{
    QPixmap swatch(32, 14);
    swatch.fill(QColorFromColorRef(static_cast<ColorRef>(state_.backgroundColor)));
    colour_->setIcon(QIcon(swatch));
    colour_->setIconSize(swatch.size());
}

void CDlgPreferences::ChooseColour()
{
    const QColor chosen =
        QColorDialog::getColor(QColorFromColorRef(static_cast<ColorRef>(state_.backgroundColor)), this);
    if (!chosen.isValid())
        return;
    state_.backgroundColor = static_cast<int>(ColorRefFromQColor(chosen));
    ShowColour();
}

void CDlgPreferences::ChooseFolder()
{
    QString start = state_.preferences.rootFolder;
    if (start.endsWith(QLatin1Char('/')))
        start.chop(1);
    const QString chosen = QFileDialog::getExistingDirectory(this, QString(), start);
    if (chosen.isEmpty())
        return;
    // Chosen folders are stored with a separator at the end.
    state_.preferences.rootFolder = QDir::cleanPath(chosen) + QLatin1Char('/');
    folder_->setText(QDir::toNativeSeparators(state_.preferences.rootFolder));
}

PreferencesDialogState CDlgPreferences::State() const
{
    PreferencesDialogState state = state_;
    if (!state.editMode) {
        state.modeIndex = mode_->currentIndex();
        // Hidden, the list keeps the stored device.
        if (adapter_ != nullptr && adapter_->currentIndex() >= 0)
            state.preferences.displayAdapter = adapter_->currentData().toString();
        state.preferences.fullHdmiRange = fullRange_->isChecked() ? 1 : 0;
        state.preferences.alternativeSync = alternativeSync_->isChecked() ? 1 : 0;
        state.preferences.autoStartOutput = autoStart_->isChecked() ? 1 : 0;
        state.preferences.noRestoreDisplays = noRestore_->isChecked() ? 1 : 0;
    }
    state.preferences.defaultTreeAction = defaultAction_->currentIndex();
    state.largeToolbar = largeToolbar_->isChecked() ? 1 : 0;
    state.snapToGrid = snap_->isChecked() ? 1 : 0;
    state.gridStep = NumberOf(grid_);
    state.background = solid_->isChecked() ? 1 : 0;
    state.marginH = NumberOf(marginH_);
    state.marginV = NumberOf(marginV_);
    return state;
}
