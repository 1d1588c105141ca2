#include "editor/DlgFrameProps.h"

#include "content/RichTextFormat.h"
#include "document/MainDoc.h"
#include "editor/DialogButtons.h"
#include "editor/DialogControls.h"
#include "editor/DialogTranslation.h"
#include "editor/FileChoosers.h"
#include "editor/SafeEdit.h"
#include "model/FrameSettings.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QStyle>
#include <QTime>
#include <QTimeEdit>
#include <QVBoxLayout>

#include <algorithm>
#include <initializer_list>

namespace {

// The dialog and its controls carry the ids language packs key on.
constexpr int kDialogId = 304;
constexpr int kBackgroundAlphaControl = 1006;
constexpr int kTextAlphaControl = 1008;
constexpr int kBackgroundAlphaTextControl = 1010;
constexpr int kTextAlphaTextControl = 1012;
constexpr int kMovementControl = 1004;
constexpr int kShadowControl = 1005;
constexpr int kInEffectControl = 1013;
constexpr int kInDurationControl = 1014;
constexpr int kFadeInControl = 1015;
constexpr int kOutEffectControl = 1016;
constexpr int kOutDurationControl = 1017;
constexpr int kFadeOutControl = 1018;
constexpr int kShowForControl = 1019;
constexpr int kColourControl = 1022;
constexpr int kGroupControl = 1023;
constexpr int kHotkeyControl = 1024;
constexpr int kStartDelayControl = 1025;
constexpr int kLoopControl = 1027;
constexpr int kShowWhileMovingControl = 1028;
constexpr int kRepeatControl = 1029;
constexpr int kFirstSourceControl = 1030;  // 1030..1035 in the order of the sources
constexpr int kEncodingControl = 1039;
constexpr int kHeaderControl = 1042;
constexpr int kSourceFileControl = 1044;
constexpr int kBarGraphControl = 1045;
constexpr int kClockFormatControl = 1048;
constexpr int kTimerFormatControl = 1049;
constexpr int kSourceErrorControl = 1050;
constexpr int kMonitorControl = 1051;
constexpr int kShowIndefinitelyControl = 1052;
constexpr int kSeparatorControl = 1053;
constexpr int kLoopAnimationControl = 1054;
constexpr int kReverseControl = 1055;
constexpr int kStartFromEdgeControl = 1056;
constexpr int kBackgroundTypeControl = 1057;
constexpr int kSpeedControl = 1060;
constexpr int kLinkImageControl = 1061;
constexpr int kUpControl = 1067;
constexpr int kDownControl = 1068;
constexpr int kTimerStartControl = 1069;
constexpr int kTimerStopControl = 1070;
constexpr int kImageFileControl = 1071;
constexpr int kBackgroundErrorControl = 1073;
constexpr int kSpeedLabel = 1102;
constexpr int kColourLabel = 1103;
constexpr int kBackgroundAlphaLabel = 1104;
constexpr int kTextAlphaLabel = 1105;
constexpr int kShowForLabel = 1112;
constexpr int kShowForUnit = 1113;
constexpr int kEncodingLabel = 1117;
constexpr int kSeparatorLabel = 1119;
constexpr int kTimesDash = 1127;

// The property numbers of CObjectProperties whose entries the lists show.
constexpr int kShadowEntries = 45;
constexpr int kMovementEntries = 10;
constexpr int kSpeedEntries = 11;
constexpr int kClockFormatEntries = 15;
constexpr int kEncodingEntries = 17;
constexpr int kSeparatorEntries = 20;
constexpr int kTimerFormatEntries = 21;
constexpr int kInEffectEntries = 25;
constexpr int kOutEffectEntries = 31;
constexpr int kGroupEntries = 41;
constexpr int kHotkeyEntries = 42;
constexpr int kSourceFileProperty = 16;

constexpr int kAlphaMaximum = 255;
constexpr uint32_t kRgbMask = 0x00FFFFFF;
constexpr int kSourceCount = 6;
const QColor kErrorColour(224, 0, 0);
// Durations take decimal seconds with either point.
const QString kDurationCharacters = QStringLiteral("0123456789.,");

bool IsFileSource(int source)
{
    return source == kSourceTextFile || source == kSourceRtfFile || source == kSourceCsvFile;
}

// A caption that names its field for the keyboard (Alt+letter) and for
// screen readers.
QLabel* TaggedCaption(const QString& text, QWidget* field, QWidget* parent, int controlId = 0)
{
    auto* label = new QLabel(text, parent);
    if (controlId != 0)
        label->setProperty("tavrelId", controlId);
    if (field != nullptr) {
        label->setBuddy(field);
        if (field->accessibleName().isEmpty())
            field->setAccessibleName(WithoutAccessKey(text));
    }
    return label;
}

QLabel* ErrorText(int controlId, QWidget* parent)
{
    auto* label = Tagged(new QLabel(QStringLiteral("File access error!"), parent), controlId);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, kErrorColour);
    label->setPalette(palette);
    return label;
}

void Show(std::initializer_list<QWidget*> widgets, bool shown)
{
    for (QWidget* widget : widgets)
        widget->setVisible(shown);
}

int Seconds(const QTimeEdit* picker)
{
    const QTime time = picker->time();
    return time.hour() * 3600 + time.minute() * 60 + time.second();
}

void SetSeconds(QTimeEdit* picker, int seconds)
{
    const int shown = std::clamp(seconds, 0, 24 * 3600 - 1);
    picker->setTime(QTime(shown / 3600, shown / 60 % 60, shown % 60));
}

// A long path would widen the dialog: the name is cut in the middle, the
// whole path is in the tooltip.
void SetFileName(QLabel* label, const QString& path)
{
    const QString name = QFileInfo(path).fileName();
    const int room = label->maximumWidth() - std::max(0, label->indent()) - 2 * label->margin() - 4;
    label->setText(label->fontMetrics().elidedText(name, Qt::ElideMiddle, room));
    label->setToolTip(QDir::toNativeSeparators(path));
}

QHBoxLayout* Row(std::initializer_list<QWidget*> widgets, bool stretch = true)
{
    auto* row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    for (QWidget* widget : widgets)
        row->addWidget(widget);
    if (stretch)
        row->addStretch(1);
    return row;
}

}  // namespace

CDlgFrameProps::CDlgFrameProps(CMainDoc& doc, CFrame& object, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , doc_(doc)
    , object_(object)
{
    setProperty("tavrelId", kDialogId);
    setObjectName(QStringLiteral("objectPropertiesDialog"));
    setWindowTitle(QStringLiteral("Object properties"));

    QStringList groups;
    doc.page.CollectGroupNames(groups);
    props_.Fill(&object, doc.SelectionNumber(), groups);
    backgroundFailed_ = object.backgroundError.load() != 0;
    // Nothing limits the showing when no time is given; OK would say so too.
    if (props_.Settings().ShowsIndefinitely())
        props_.Settings().showIndefinitely = 1;

    // Built in reading order, column by column, which is the Tab order.
    auto* left = new QVBoxLayout;
    left->addWidget(BuildBackground());
    left->addWidget(BuildText());
    left->addWidget(BuildObject());
    left->addStretch(1);
    auto* right = new QVBoxLayout;
    right->addWidget(BuildSource());
    right->addWidget(BuildPresentation());
    right->addStretch(1);

    auto* columns = new QHBoxLayout;
    columns->addLayout(left, 0);
    columns->addLayout(right, 1);

    QDialogButtonBox* buttons = OkCancelButtons(this);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    layout->addWidget(buttons);

    // A script step may replace the page while the dialog is open (the
    // interface tick goes on under it): the object may be gone, so the
    // dialog closes without writing.
    connect(&doc_, &CMainDoc::PageAboutToBeReplaced, this, [this] {
        pageReplaced_ = true;
        reject();
    });

    ShowColour();
    ShowTimes();
    ShowSourceFile();
    ApplyRules();
    FitLargestSource();
    TranslateDialog(this);
}

CDlgFrameProps::~CDlgFrameProps() = default;

// --- Building --------------------------------------------------------------

QComboBox* CDlgFrameProps::List(int k, int CFrame::* member, int controlId, QWidget* parent)
{
    auto* box = Tagged(new QComboBox(parent), controlId);
    box->addItems(props_.Entries(k));
    box->setCurrentIndex(props_.Value(k).toInt());
    lists_.push_back({box, k, member});
    connect(box, &QComboBox::activated, this, [this] {
        Collect();
        ApplyRules();
    });
    return box;
}

QCheckBox* CDlgFrameProps::Check(const QString& text, int CFrame::* member, int controlId, QWidget* parent)
{
    auto* box = Tagged(new QCheckBox(text, parent), controlId);
    box->setChecked(props_.Settings().*member != 0);
    flags_.push_back({box, member});
    connect(box, &QCheckBox::toggled, this, [this] {
        Collect();
        ApplyRules();
    });
    return box;
}

CSafeEdit* CDlgFrameProps::DurationEdit(int CFrame::* member, int controlId, const QString& name, QWidget* parent)
{
    auto* edit = Tagged(new CSafeEdit(kDurationCharacters, parent), controlId);
    edit->setText(DurationText(props_.Settings().*member));
    edit->setAccessibleName(name);
    edit->setAlignment(Qt::AlignRight);
    edit->setMaxLength(10);
    edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("00000.000")) + 12);
    durations_.push_back({edit, member});
    return edit;
}

QSlider* CDlgFrameProps::AlphaSlider(int alpha, int controlId, int textId, const QString& name, QLabel** text,
                                     QWidget* parent)
{
    auto* slider = Tagged(new QSlider(Qt::Horizontal, parent), controlId);
    slider->setRange(0, kAlphaMaximum);
    slider->setPageStep(16);
    slider->setValue(kAlphaMaximum - alpha);
    slider->setAccessibleName(name);
    slider->setMinimumWidth(120);
    auto* label = Tagged(new QLabel(parent), textId);
    MarkDynamicText(label);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QStringLiteral("100%")) + 4);
    const auto showPercent = [label](int value) {
        label->setText(QString::asprintf("%d%%", value * 100 / kAlphaMaximum));
    };
    showPercent(slider->value());
    connect(slider, &QSlider::valueChanged, this, [this, showPercent](int value) {
        showPercent(value);
        Collect();
    });
    *text = label;
    return slider;
}

QWidget* CDlgFrameProps::BuildBackground()
{
    const CFrame& s = props_.Settings();
    auto* box = new QGroupBox(QStringLiteral("Background"), this);
    auto* grid = new QGridLayout(box);

    backgroundType_ = Tagged(new QLabel(props_.Value(2).toString(), box), kBackgroundTypeControl);
    MarkDynamicText(backgroundType_);
    backgroundType_->setAccessibleName(QStringLiteral("Background type"));

    colour_ = Tagged(new QPushButton(box), kColourControl);
    colour_->setIconSize(QSize(40, 14));
    connect(colour_, &QPushButton::clicked, this, &CDlgFrameProps::ChooseColour);
    colourLabel_ = TaggedCaption(QStringLiteral("Colo&r"), colour_, box, kColourLabel);

    backgroundAlpha_ = AlphaSlider(static_cast<int>(s.backgroundColor >> 24), kBackgroundAlphaControl,
                                   kBackgroundAlphaTextControl, QStringLiteral("Background transparency"),
                                   &backgroundAlphaText_, box);
    backgroundAlphaLabel_ = TaggedCaption(QStringLiteral("&Transparency"), backgroundAlpha_, box, kBackgroundAlphaLabel);

    loopAnimation_ = Check(QStringLiteral("Loop &animation"), &CFrame::loopAnimation, kLoopAnimationControl, box);
    linkImage_ = Check(QStringLiteral("Maintain lin&k to image file"), &CFrame::linkImageFile, kLinkImageControl, box);
    imageFile_ = Tagged(new QLabel(box), kImageFileControl);
    MarkDynamicText(imageFile_);
    imageFile_->setMaximumWidth(220);
    imageFile_->setAccessibleName(QStringLiteral("Image file"));
    imageFile_->setIndent(style()->pixelMetric(QStyle::PM_IndicatorWidth) + 6);
    SetFileName(imageFile_, s.imageFileName);
    backgroundError_ = ErrorText(kBackgroundErrorControl, box);

    grid->addWidget(new QLabel(QStringLiteral("Type"), box), 0, 0);
    grid->addWidget(backgroundType_, 0, 1, 1, 2);
    grid->addWidget(colourLabel_, 1, 0);
    grid->addLayout(Row({colour_}), 1, 1, 1, 2);
    grid->addWidget(backgroundAlphaLabel_, 2, 0);
    grid->addWidget(backgroundAlpha_, 2, 1);
    grid->addWidget(backgroundAlphaText_, 2, 2);
    grid->addWidget(loopAnimation_, 3, 0, 1, 3);
    grid->addWidget(linkImage_, 4, 0, 1, 3);
    grid->addWidget(imageFile_, 5, 0, 1, 3);
    grid->addWidget(backgroundError_, 6, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    return box;
}

QWidget* CDlgFrameProps::BuildText()
{
    auto* box = new QGroupBox(QStringLiteral("Text"), this);
    auto* grid = new QGridLayout(box);

    textAlpha_ = AlphaSlider(props_.Settings().textAlpha, kTextAlphaControl, kTextAlphaTextControl,
                             QStringLiteral("Text transparency"), &textAlphaText_, box);
    QLabel* alphaLabel = TaggedCaption(QStringLiteral("Tra&nsparency"), textAlpha_, box, kTextAlphaLabel);
    QComboBox* shadow = List(kShadowEntries, &CFrame::dropShadow, kShadowControl, box);
    QLabel* shadowLabel = TaggedCaption(QStringLiteral("S&hadow"), shadow, box);
    movement_ = List(kMovementEntries, &CFrame::movement, kMovementControl, box);
    QLabel* movementLabel = TaggedCaption(QStringLiteral("&Movement"), movement_, box);
    speed_ = List(kSpeedEntries, &CFrame::speed, kSpeedControl, box);
    speedLabel_ = TaggedCaption(QStringLiteral("Spee&d"), speed_, box, kSpeedLabel);
    loop_ = Check(QStringLiteral("&Loop"), &CFrame::loop, kLoopControl, box);
    reverse_ = Check(QStringLiteral("Re&verse"), &CFrame::reverse, kReverseControl, box);
    QCheckBox* fromEdge =
        Check(QStringLiteral("Start from the ed&ge"), &CFrame::startFromEdge, kStartFromEdgeControl, box);

    grid->addWidget(alphaLabel, 0, 0);
    grid->addWidget(textAlpha_, 0, 1);
    grid->addWidget(textAlphaText_, 0, 2);
    grid->addWidget(shadowLabel, 1, 0);
    grid->addWidget(shadow, 1, 1, 1, 2);
    grid->addWidget(movementLabel, 2, 0);
    grid->addWidget(movement_, 2, 1, 1, 2);
    grid->addWidget(speedLabel_, 3, 0);
    grid->addWidget(speed_, 3, 1, 1, 2);
    grid->addLayout(Row({loop_, reverse_}), 4, 1, 1, 2);
    grid->addWidget(fromEdge, 5, 1, 1, 2);
    grid->setColumnStretch(1, 1);
    return box;
}

QWidget* CDlgFrameProps::BuildSource()
{
    const CFrame& s = props_.Settings();
    auto* box = new QGroupBox(QStringLiteral("Text source"), this);
    auto* grid = new QGridLayout(box);

    sources_ = new QButtonGroup(box);
    const QString names[kSourceCount] = {
        QStringLiteral("O&bject text"), QStringLiteral("&Clock"),    QStringLiteral("Te&xt file"),
        QStringLiteral("RT&F file"),    QStringLiteral("C&SV file"), QStringLiteral("T&imer"),
    };
    auto* radios = new QGridLayout;
    for (int source = 0; source < kSourceCount; ++source) {
        auto* radio = Tagged(new QRadioButton(names[source], box), kFirstSourceControl + source);
        radio->setChecked(source == s.textSource);
        sources_->addButton(radio, source);
        radios->addWidget(radio, source / 3, source % 3);
    }
    connect(sources_, &QButtonGroup::idClicked, this, &CDlgFrameProps::SourceClicked);

    sourceFile_ = Tagged(new QLabel(box), kSourceFileControl);
    MarkDynamicText(sourceFile_);
    sourceFile_->setMaximumWidth(260);
    sourceFileLabel_ = TaggedCaption(QStringLiteral("File"), nullptr, box);
    sourceFile_->setAccessibleName(QStringLiteral("Source file"));
    encoding_ = List(kEncodingEntries, &CFrame::encoding, kEncodingControl, box);
    encodingLabel_ = TaggedCaption(QStringLiteral("File &encoding"), encoding_, box, kEncodingLabel);
    header_ = Check(QStringLiteral("First line is &header"), &CFrame::firstLineIsHeader, kHeaderControl, box);
    separator_ = List(kSeparatorEntries, &CFrame::separator, kSeparatorControl, box);
    separator_->setMinimumWidth(encoding_->sizeHint().width());
    separatorLabel_ = TaggedCaption(QStringLiteral("Se&parator"), separator_, box, kSeparatorLabel);
    barGraph_ = Check(QStringLiteral("Bar gra&ph"), &CFrame::barGraph, kBarGraphControl, box);
    monitor_ = Check(QStringLiteral("Monitor file chan&ges"), &CFrame::monitorFile, kMonitorControl, box);
    sourceError_ = ErrorText(kSourceErrorControl, box);

    // The formats take typed text too.
    const auto format = [this, box](int k, const QString& value, int controlId) {
        auto* list = Tagged(new QComboBox(box), controlId);
        list->setEditable(true);
        list->setInsertPolicy(QComboBox::NoInsert);
        list->addItems(props_.Entries(k));
        list->setCurrentText(value);
        connect(list, &QComboBox::currentTextChanged, this, [this] { Collect(); });
        return list;
    };
    clockFormat_ = format(kClockFormatEntries, s.clockFormat, kClockFormatControl);
    clockFormatLabel_ = TaggedCaption(QStringLiteral("Forma&t"), clockFormat_, box);
    clockFormat_->setAccessibleName(QStringLiteral("Clock format"));
    timerFormat_ = format(kTimerFormatEntries, s.timerFormat, kTimerFormatControl);
    timerFormatLabel_ = TaggedCaption(QStringLiteral("Forma&t"), timerFormat_, box);
    timerFormat_->setAccessibleName(QStringLiteral("Timer format"));

    const auto picker = [this, box](int controlId, const QString& name) {
        auto* time = Tagged(new QTimeEdit(box), controlId);
        time->setDisplayFormat(QStringLiteral("HH:mm:ss"));
        time->setAccessibleName(name);
        connect(time, &QTimeEdit::timeChanged, this, [this] { Collect(); });
        return time;
    };
    timerStart_ = picker(kTimerStartControl, QStringLiteral("Timer start"));
    timesDash_ = Tagged(new QLabel(QStringLiteral("-"), box), kTimesDash);
    timerStop_ = picker(kTimerStopControl, QStringLiteral("Timer stop"));
    timesLabel_ = TaggedCaption(QStringLiteral("Tim&e"), timerStart_, box);
    timerStart_->setAccessibleName(QStringLiteral("Timer start"));

    directions_ = new QButtonGroup(box);
    auto* up = Tagged(new QRadioButton(QStringLiteral("&Up"), box), kUpControl);
    auto* down = Tagged(new QRadioButton(QStringLiteral("Do&wn"), box), kDownControl);
    directions_->addButton(up, kTimerUp);
    directions_->addButton(down, kTimerDown);
    (s.timerDirection == kTimerDown ? down : up)->setChecked(true);
    connect(directions_, &QButtonGroup::idClicked, this, &CDlgFrameProps::DirectionClicked);
    directionLabel_ = TaggedCaption(QStringLiteral("Count"), nullptr, box);

    int row = 0;
    grid->addLayout(radios, row++, 0, 1, 2);
    grid->addWidget(sourceFileLabel_, row, 0);
    grid->addWidget(sourceFile_, row++, 1);
    grid->addWidget(encodingLabel_, row, 0);
    grid->addLayout(Row({encoding_}), row++, 1);
    grid->addWidget(header_, row++, 1);
    grid->addWidget(separatorLabel_, row, 0);
    grid->addLayout(Row({separator_}), row++, 1);
    grid->addWidget(barGraph_, row++, 1);
    grid->addWidget(monitor_, row++, 1);
    grid->addWidget(clockFormatLabel_, row, 0);
    grid->addLayout(Row({clockFormat_}), row++, 1);
    grid->addWidget(timerFormatLabel_, row, 0);
    grid->addLayout(Row({timerFormat_}), row++, 1);
    grid->addWidget(timesLabel_, row, 0);
    grid->addLayout(Row({timerStart_, timesDash_, timerStop_}), row++, 1);
    grid->addWidget(directionLabel_, row, 0);
    grid->addLayout(Row({up, down}), row++, 1);
    grid->addWidget(sourceError_, row++, 0, 1, 2);
    grid->setColumnStretch(1, 1);
    return box;
}

QWidget* CDlgFrameProps::BuildPresentation()
{
    auto* box = new QGroupBox(QStringLiteral("Presentation"), this);
    auto* grid = new QGridLayout(box);
    const auto seconds = [box](int controlId = 0) {
        auto* unit = new QLabel(QStringLiteral("sec"), box);
        if (controlId != 0)
            unit->setProperty("tavrelId", controlId);
        return unit;
    };

    CSafeEdit* delay = DurationEdit(&CFrame::startDelay, kStartDelayControl, QStringLiteral("Start delay"), box);
    QLabel* delayLabel = TaggedCaption(QStringLiteral("Start de&lay"), delay, box);

    QComboBox* in = List(kInEffectEntries, &CFrame::inEffect, kInEffectControl, box);
    QLabel* inLabel = TaggedCaption(QStringLiteral("&In effect"), in, box);
    CSafeEdit* inDuration =
        DurationEdit(&CFrame::inDuration, kInDurationControl, QStringLiteral("In effect duration"), box);
    QLabel* inDurationLabel = TaggedCaption(QStringLiteral("d&uration"), inDuration, box);
    QCheckBox* fadeIn = Check(QStringLiteral("F&ade in"), &CFrame::fadeIn, kFadeInControl, box);

    showFor_ = DurationEdit(&CFrame::showFor, kShowForControl, QStringLiteral("Show for"), box);
    showForLabel_ = TaggedCaption(QStringLiteral("&Show for"), showFor_, box, kShowForLabel);
    showForUnit_ = seconds(kShowForUnit);
    showIndefinitely_ = Check(QStringLiteral("Show indefinitel&y"), &CFrame::showIndefinitely,
                              kShowIndefinitelyControl, box);
    showWhileMoving_ = Check(QStringLiteral("Show &while text moves"), &CFrame::showWhileMoving,
                             kShowWhileMovingControl, box);

    QComboBox* out = List(kOutEffectEntries, &CFrame::outEffect, kOutEffectControl, box);
    QLabel* outLabel = TaggedCaption(QStringLiteral("&Out effect"), out, box);
    CSafeEdit* outDuration =
        DurationEdit(&CFrame::outDuration, kOutDurationControl, QStringLiteral("Out effect duration"), box);
    QLabel* outDurationLabel = TaggedCaption(QStringLiteral("du&ration"), outDuration, box);
    QCheckBox* fadeOut = Check(QStringLiteral("Fade ou&t"), &CFrame::fadeOut, kFadeOutControl, box);
    QCheckBox* repeat = Check(QStringLiteral("R&epeat"), &CFrame::repeat, kRepeatControl, box);

    grid->addWidget(delayLabel, 0, 0);
    grid->addLayout(Row({delay, seconds()}), 0, 1);
    grid->addWidget(inLabel, 1, 0);
    auto* inRow = Row({in, inDurationLabel, inDuration, seconds()}, false);
    inRow->setStretch(0, 1);
    grid->addLayout(inRow, 1, 1);
    grid->addWidget(fadeIn, 2, 1);
    grid->addWidget(showForLabel_, 3, 0);
    grid->addLayout(Row({showFor_, showForUnit_}), 3, 1);
    grid->addWidget(showIndefinitely_, 4, 1);
    grid->addWidget(showWhileMoving_, 5, 1);
    grid->addWidget(outLabel, 6, 0);
    auto* outRow = Row({out, outDurationLabel, outDuration, seconds()}, false);
    outRow->setStretch(0, 1);
    grid->addLayout(outRow, 6, 1);
    grid->addWidget(fadeOut, 7, 1);
    grid->addWidget(repeat, 8, 1);
    grid->setColumnStretch(1, 1);
    return box;
}

QWidget* CDlgFrameProps::BuildObject()
{
    auto* box = new QGroupBox(QStringLiteral("Object"), this);
    auto* grid = new QGridLayout(box);

    group_ = Tagged(new QComboBox(box), kGroupControl);
    group_->setEditable(true);
    group_->setInsertPolicy(QComboBox::NoInsert);
    group_->addItems(props_.Entries(kGroupEntries));
    group_->setCurrentText(props_.Settings().group);
    connect(group_, &QComboBox::currentTextChanged, this, [this] { Collect(); });
    QLabel* groupLabel = TaggedCaption(QStringLiteral("G&roup"), group_, box);

    hotkey_ = Tagged(new QComboBox(box), kHotkeyControl);
    hotkey_->addItems(props_.Entries(kHotkeyEntries));
    hotkey_->setCurrentIndex(props_.Settings().hotkey);
    connect(hotkey_, &QComboBox::activated, this, [this] { Collect(); });
    QLabel* hotkeyLabel = TaggedCaption(QStringLiteral("Hot&key"), hotkey_, box);

    grid->addWidget(groupLabel, 0, 0);
    grid->addWidget(group_, 0, 1);
    grid->addWidget(hotkeyLabel, 1, 0);
    grid->addWidget(hotkey_, 1, 1);
    grid->setColumnStretch(1, 1);
    return box;
}

// --- The copy and the rules ------------------------------------------------

void CDlgFrameProps::Collect()
{
    CFrame& s = props_.Settings();
    const auto backgroundAlpha = static_cast<uint32_t>(kAlphaMaximum - backgroundAlpha_->value());
    s.backgroundColor = (s.backgroundColor & kRgbMask) | backgroundAlpha << 24;
    s.textAlpha = kAlphaMaximum - textAlpha_->value();
    for (const ChoiceList& list : lists_) {
        // An entry-less value read from a page file stays as it is.
        if (list.box->currentIndex() < 0)
            continue;
        s.*list.member = SettingOfProperty(*FindObjectProperty(list.k))->minimum + list.box->currentIndex();
    }
    for (const Flag& flag : flags_)
        s.*flag.member = flag.box->isChecked() ? 1 : 0;
    for (const Duration& duration : durations_)
        s.*duration.member = DurationFromText(duration.edit->text());
    s.clockFormat = clockFormat_->currentText();
    s.timerFormat = timerFormat_->currentText();
    if (Seconds(timerStart_) != shownStart_)
        s.timerStart = shownStart_ = Seconds(timerStart_);
    if (Seconds(timerStop_) != shownStop_)
        s.timerStop = shownStop_ = Seconds(timerStop_);
    s.group = group_->currentText().trimmed();
    if (hotkey_->currentIndex() >= 0)
        s.hotkey = hotkey_->currentIndex();
}

void CDlgFrameProps::ApplyRules()
{
    const CFrame& s = props_.Settings();
    const BackgroundKind kind = props_.Background();
    const bool solid = kind == BackgroundKind::Solid;
    const bool moving = s.movement != kMovementFixed;
    const int source = s.textSource;

    Show({colourLabel_, colour_, backgroundAlphaLabel_, backgroundAlpha_, backgroundAlphaText_}, solid);
    Show({loopAnimation_}, kind == BackgroundKind::Animation);
    Show({linkImage_, imageFile_}, kind == BackgroundKind::Picture && !s.imageFileName.isEmpty());
    linkImage_->setEnabled(!backgroundFailed_);
    Show({backgroundError_}, backgroundFailed_);

    movement_->setEnabled(source != kSourceClock && source != kSourceTimer);
    Show({speedLabel_, speed_, loop_, reverse_}, moving);

    Show({sourceFileLabel_, sourceFile_}, IsFileSource(source));
    Show({encodingLabel_, encoding_}, source == kSourceTextFile || source == kSourceCsvFile);
    Show({header_, separatorLabel_, separator_}, source == kSourceCsvFile);
    Show({barGraph_}, source == kSourceTextFile);
    Show({monitor_}, (source == kSourceTextFile || source == kSourceRtfFile) && !moving);
    Show({sourceError_}, props_.Failed(kSourceFileProperty));
    Show({clockFormatLabel_, clockFormat_}, source == kSourceClock);
    const bool timer = source == kSourceTimer;
    Show({timerFormatLabel_, timerFormat_, timesLabel_, timerStart_, timesDash_, timerStop_, directionLabel_,
          directions_->button(kTimerUp), directions_->button(kTimerDown)},
         timer);

    // While the text moves it may be shown exactly as long as it moves.
    const bool whileMoving = moving && s.showWhileMoving != 0;
    Show({showForLabel_, showFor_, showForUnit_}, !whileMoving && s.showIndefinitely == 0);
    Show({showIndefinitely_}, !whileMoving);
    Show({showWhileMoving_}, moving && !(s.showIndefinitely != 0 && s.showWhileMoving == 0));
}

void CDlgFrameProps::FitLargestSource()
{
    // The layouts and group boxes cache their hints, and before the
    // dialog is shown nothing tells them that their rows changed.
    const auto hint = [this] {
        for (QGroupBox* box : findChildren<QGroupBox*>())
            box->updateGeometry();
        for (QLayout* layout : findChildren<QLayout*>())
            layout->invalidate();
        return sizeHint();
    };
    CFrame& s = props_.Settings();
    const int source = s.textSource;
    const int movement = s.movement;
    QSize largest = hint();
    for (const int moving : {kMovementFixed, kMovementScroll}) {
        s.movement = moving;
        for (int other = 0; other < kSourceCount; ++other) {
            s.textSource = other;
            ApplyRules();
            largest = largest.expandedTo(hint());
        }
    }
    s.textSource = source;
    s.movement = movement;
    ApplyRules();
    hint();
    resize(largest);
}

// --- Reactions -------------------------------------------------------------

void CDlgFrameProps::SourceClicked(int source)
{
    CFrame& s = props_.Settings();
    const int previous = s.textSource;
    if (IsFileSource(source)) {
        // Choosing a file source again picks another file for it.
        const QString path = ChooseExistingFile(this, QString(), s.fileName, SourceFileFilter(source));
        if (path.isEmpty()) {
            sources_->button(previous)->setChecked(true);
            return;
        }
        s.fileName = path;
        props_.ClearSourceFailed();
    } else if (source == previous) {
        return;
    }
    props_.SetTextSource(source);
    // Clock and timer texts do not move.
    movement_->setCurrentIndex(s.movement - SettingOfProperty(*FindObjectProperty(kMovementEntries))->minimum);
    ShowSourceFile();
    ApplyRules();
}

void CDlgFrameProps::DirectionClicked(int direction)
{
    Collect();
    props_.SetTimerDirection(direction);
    ShowTimes();
}

void CDlgFrameProps::ChooseColour()
{
    CFrame& s = props_.Settings();
    const QColor chosen = QColorDialog::getColor(QColorFromColorRef(s.backgroundColor & kRgbMask), this,
                                                 QStringLiteral("Color"));
    if (!chosen.isValid())
        return;
    s.backgroundColor = (s.backgroundColor & ~kRgbMask) | ColorRefFromQColor(chosen);
    ShowColour();
}

void CDlgFrameProps::ShowColour()
{
    const QColor colour = QColorFromColorRef(props_.Settings().backgroundColor & kRgbMask);
    const QSize size = colour_->iconSize();
    QPixmap swatch(size);
    swatch.fill(colour);
    QPainter painter(&swatch);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawRect(0, 0, size.width() - 1, size.height() - 1);
    painter.end();
    colour_->setIcon(QIcon(swatch));
    colour_->setToolTip(colour.name());
    colour_->setAccessibleDescription(colour.name());
}

void CDlgFrameProps::ShowTimes()
{
    const CFrame& s = props_.Settings();
    // The pickers' own signals would write the first time back before the
    // second is shown.
    const QSignalBlocker blockStart(timerStart_);
    const QSignalBlocker blockStop(timerStop_);
    SetSeconds(timerStart_, s.timerStart);
    SetSeconds(timerStop_, s.timerStop);
    shownStart_ = Seconds(timerStart_);
    shownStop_ = Seconds(timerStop_);
}

void CDlgFrameProps::ShowSourceFile()
{
    SetFileName(sourceFile_, props_.Settings().fileName);
}

void CDlgFrameProps::accept()
{
    if (pageReplaced_)
        return;
    Collect();
    props_.ApplyTo(doc_, object_);
    doc_.RefreshOverlay(0);
    QDialog::accept();
}
