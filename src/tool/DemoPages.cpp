#include "tool/DemoPages.h"

#include "content/PictureImport.h"
#include "content/VideoWriter.h"
#include "document/CanvasPicture.h"
#include "model/Frame.h"
#include "model/FrameSet.h"
#include "model/PageFile.h"
#include "model/Picture.h"

#include <QColor>
#include <QDir>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QSaveFile>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr int kCanvasWidth = 1920;
constexpr int kCanvasHeight = 1080;

// One paragraph of rich text: size in points, colour as 0xRRGGBB.
struct Paragraph
{
    QString text;
    int points = 28;
    bool bold = false;
    uint32_t colour = 0xFFFFFF;
    char align = 'l';  // l, c, r
};

QByteArray RtfEscaped(const QString& text)
{
    QByteArray out;
    for (const QChar c : text) {
        const ushort u = c.unicode();
        if (u == '\\' || u == '{' || u == '}') {
            out += '\\';
            out += static_cast<char>(u);
        } else if (u >= 0x20 && u < 0x80) {
            out += static_cast<char>(u);
        } else {
            out += "\\u" + QByteArray::number(static_cast<short>(u)) + '?';
        }
    }
    return out;
}

// RTF as the rich text control writes it: one font, a colour table, one
// \pard per paragraph.
QByteArray Rtf(const std::vector<Paragraph>& paragraphs)
{
    std::vector<uint32_t> colours;
    for (const Paragraph& p : paragraphs)
        if (std::find(colours.begin(), colours.end(), p.colour) == colours.end())
            colours.push_back(p.colour);
    QByteArray rtf = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}}\r\n{\\colortbl ;";
    for (uint32_t c : colours)
        rtf += "\\red" + QByteArray::number((c >> 16) & 0xFF) + "\\green" + QByteArray::number((c >> 8) & 0xFF) +
               "\\blue" + QByteArray::number(c & 0xFF) + ';';
    rtf += "}\r\n\\viewkind4\\uc1";
    for (const Paragraph& p : paragraphs) {
        const int colourIndex = static_cast<int>(std::find(colours.begin(), colours.end(), p.colour) - colours.begin()) + 1;
        rtf += "\\pard";
        if (p.align == 'c')
            rtf += "\\qc";
        else if (p.align == 'r')
            rtf += "\\qr";
        rtf += "\\plain\\f0\\cf" + QByteArray::number(colourIndex) + (p.bold ? "\\b" : "") + "\\fs" +
               QByteArray::number(p.points * 2) + ' ' + RtfEscaped(p.text) + "\\par\r\n";
    }
    rtf += "}\r\n";
    return rtf;
}

CPicture PictureFromImage(const QImage& source)
{
    const QImage image = source.convertToFormat(QImage::Format_ARGB32);  // B,G,R,A bytes, straight alpha
    CPicture picture(image.width(), image.height());
    for (int y = 0; y < image.height(); ++y)
        std::memcpy(picture.Row(y), image.constScanLine(y), static_cast<size_t>(image.width()) * 4);
    return picture;
}

std::unique_ptr<CFrame> NewObject(int left, int top, int width, int height, int framePeriod)
{
    auto object = std::make_unique<CFrame>();
    object->framePeriod = framePeriod;
    object->rect = CRect{left, top, left + width, top + height};
    return object;
}

void SetPicture(CFrame& object, const QImage& image)
{
    object.backgroundType = kBackgroundPicture;
    object.AddBackgroundFrame(kCanvasHeight, PictureFromImage(image), kCanvasWidth, 0);
}

// A deep blue band with a light edge: the look of the lower thirds.
QImage BandPicture(int width, int height, QColor from, QColor to)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient gradient(0, 0, width, 0);
    gradient.setColorAt(0, from);
    gradient.setColorAt(1, to);
    QPainterPath band;
    band.addRoundedRect(QRectF(0, 0, width, height), height / 6.0, height / 6.0);
    painter.fillPath(band, gradient);
    painter.fillRect(QRectF(0, height - 6, width * 0.6, 6), QColor(255, 190, 40, 230));
    return image;
}

QImage TitlePicture(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient gradient(0, 0, 0, height);
    gradient.setColorAt(0, QColor(20, 60, 140, 240));
    gradient.setColorAt(1, QColor(5, 20, 60, 240));
    QPainterPath plate;
    plate.addRoundedRect(QRectF(0, 0, width, height), 24, 24);
    painter.fillPath(plate, gradient);
    QRadialGradient glow(width * 0.8, height * 0.2, width * 0.4);
    glow.setColorAt(0, QColor(120, 190, 255, 120));
    glow.setColorAt(1, QColor(120, 190, 255, 0));
    painter.fillPath(plate, glow);
    painter.setPen(QPen(QColor(255, 190, 40), 4));
    painter.drawLine(QPointF(40, height - 30), QPointF(width - 40, height - 30));
    return image;
}

// A ring with a bright segment, turned by step / count of a full turn.
QImage SpinnerPicture(int size, int step, int count)
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(size / 2.0, size / 2.0);
    painter.setPen(QPen(QColor(255, 255, 255, 70), size / 10.0));
    painter.drawEllipse(QPointF(0, 0), size * 0.38, size * 0.38);
    painter.setPen(QPen(QColor(255, 190, 40), size / 10.0, Qt::SolidLine, Qt::RoundCap));
    const int start = -step * 360 * 16 / count;
    painter.drawArc(QRectF(-size * 0.38, -size * 0.38, size * 0.76, size * 0.76), start, 100 * 16);
    return image;
}

bool WriteBytes(const QString& path, const QByteArray& bytes, QString& error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

// Colour bars moving across, with a soft alpha edge: a short clip that
// shows the video background working.
bool WriteClip(const QString& path, QString& error)
{
    constexpr int kWidth = 480, kHeight = 270, kFrames = 50;
    CVideoWriter writer;
    if (!writer.Open(path, kWidth, kHeight, 25, 1)) {
        error = writer.Error();
        return false;
    }
    static const QColor bars[] = {Qt::white, Qt::yellow, Qt::cyan, Qt::green, Qt::magenta, Qt::red, Qt::blue};
    for (int i = 0; i < kFrames; ++i) {
        QImage image(kWidth, kHeight, QImage::Format_ARGB32);
        image.fill(QColor(16, 16, 16));
        QPainter painter(&image);
        const int barWidth = kWidth / 7 + 1;
        for (int b = 0; b < 7; ++b)
            painter.fillRect(QRect(b * barWidth, 0, barWidth, kHeight * 2 / 3), bars[b]);
        painter.fillRect(QRect((i * kWidth / kFrames), kHeight * 2 / 3 + 10, 60, kHeight / 3 - 20), QColor(255, 190, 40));
        painter.end();
        if (!writer.WriteFrame(PictureFromImage(image))) {
            error = writer.Error();
            return false;
        }
    }
    if (!writer.Close()) {
        error = writer.Error();
        return false;
    }
    return true;
}

// The demo's own files import without questions.
struct QuietImportFeedback final : IImportFeedback
{
    QString lastMessage;
    bool Ask(const CUserMessage&) override { return true; }
    void Show(const CUserMessage& message) override { lastMessage = message.text; }
    void BeginProgress(int) override {}
    bool Progress(int) override { return true; }
    void EndProgress() override {}
};

bool WriteObjects(const QString& path, const OwnedFrameList& objects, QString& error)
{
    FrameList list;
    for (const auto& object : objects)
        list.push_back(object.get());
    CPageFileContext context;
    context.rasterWidth = kCanvasWidth;
    context.rasterHeight = kCanvasHeight;
    // The thumbnail the pages pane shows, composed as the editor would.
    const CPicture composed = ComposePagePicture(list, kCanvasWidth, kCanvasHeight);
    context.composedPage = &composed;
    QString message;
    context.message = [&message](const CUserMessage& m) { message = m.text; };
    if (!WritePage(path, list, context)) {
        error = message.isEmpty() ? QStringLiteral("cannot write %1").arg(path) : message;
        return false;
    }
    return true;
}

const char kCrawlText[] =
    "Tavrel plays pages of up to 256 objects live  +++  Weather: sunny spells in the west, 18 degrees  +++  "
    "Markets: steady in early trading  +++  Next: the evening magazine at 19:30  +++  ";

QByteArray CreditsRtf(int lines)
{
    std::vector<Paragraph> paragraphs;
    paragraphs.push_back({QStringLiteral("Evening News"), 36, true, 0xFFBE28, 'c'});
    paragraphs.push_back({QString(), 20, false, 0xFFFFFF, 'c'});
    static const char* roles[] = {"Presenter", "Editor", "Camera", "Sound", "Graphics", "Director", "Producer"};
    static const char* names[] = {"Jana Novak", "Omar Haddad", "Lena Sorensen", "Piet de Vries", "Mira Kowalska",
                                  "Tomas Ruiz",  "Ada Lindqvist", "Kofi Mensah", "Ines Duarte", "Yuki Tanaka"};
    for (int i = 0; i < lines; ++i) {
        paragraphs.push_back({QString::fromLatin1(roles[i % 7]), 20, false, 0xB0C8FF, 'c'});
        paragraphs.push_back({QString::fromLatin1(names[(i * 3) % 10]), 28, true, 0xFFFFFF, 'c'});
    }
    return Rtf(paragraphs);
}

std::unique_ptr<CFrame> ClockObject(int framePeriod)
{
    auto clock = NewObject(1640, 20, 240, 60, framePeriod);
    clock->backgroundColor = 0xB0000000u;
    clock->textSource = kSourceClock;
    clock->clockFormat = QStringLiteral("%H:%M:%S");
    clock->richText = Rtf({{QStringLiteral("%1%"), 28, true, 0xFFFFFF, 'c'}});
    return clock;
}

// A full-width crawl along the bottom, fed by a text file.
std::unique_ptr<CFrame> CrawlObject(const QString& textFile, int speed, int framePeriod)
{
    auto crawl = NewObject(0, 990, 1920, 70, framePeriod);
    crawl->backgroundColor = 0xD0141478u;
    crawl->textSource = kSourceTextFile;
    crawl->fileName = textFile;
    crawl->encoding = kEncodingUtf8;
    crawl->movement = kMovementScroll;
    crawl->speed = speed;
    crawl->richText = Rtf({{QStringLiteral("%1%"), 30, true, 0xFFFFFF, 'l'}});
    return crawl;
}

// Text rolling up from an RTF file.
std::unique_ptr<CFrame> RollObject(const CRect& rect, const QString& rtfFile, int speed, int framePeriod)
{
    auto roll = NewObject(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, framePeriod);
    roll->backgroundColor = 0x80301008u;
    roll->textSource = kSourceRtfFile;
    roll->fileName = rtfFile;
    roll->movement = kMovementRoll;
    roll->speed = speed;
    return roll;
}

}  // namespace

bool WriteDemoPage(const QString& folderPath, int framePeriod, QString& error)
{
    QDir folder(folderPath);
    if (!folder.mkpath(QStringLiteral("."))) {
        error = QStringLiteral("cannot create %1").arg(folderPath);
        return false;
    }
    const QString crawlPath = folder.filePath(QStringLiteral("crawl.txt"));
    const QString creditsPath = folder.filePath(QStringLiteral("credits.rtf"));
    const QString resultsPath = folder.filePath(QStringLiteral("results.csv"));
    const QString titlePath = folder.filePath(QStringLiteral("title.png"));
    const QString clipPath = folder.filePath(QStringLiteral("clip.mkv"));
    if (!WriteBytes(crawlPath, QByteArray(kCrawlText) + "\n", error) ||
        !WriteBytes(creditsPath, CreditsRtf(12), error) ||
        !WriteBytes(resultsPath, "Team;Score\nNorth;3 : 1\nEast;0 : 0\n\"South\";2 : 2\nWest;1 : 4\n", error) ||
        !WriteClip(clipPath, error))
        return false;
    const QImage title = TitlePicture(1280, 220);
    if (!title.save(titlePath, "PNG")) {
        error = QStringLiteral("cannot write %1").arg(titlePath);
        return false;
    }

    OwnedFrameList objects;

    // Title on its picture, sliding in from the left with a fade.
    auto titleObject = NewObject(320, 60, 1280, 220, framePeriod);
    SetPicture(*titleObject, title);
    titleObject->imageFileName = titlePath;
    titleObject->richText = Rtf({{QStringLiteral("TAVREL LIVE"), 54, true, 0xFFFFFF, 'c'},
                                 {QStringLiteral("Evening News"), 30, false, 0xFFBE28, 'c'}});
    titleObject->inEffect = 1;  // slide from the left side
    titleObject->inDuration = 1000;
    titleObject->fadeIn = 1;
    titleObject->outEffect = 2;
    titleObject->outDuration = 800;
    titleObject->fadeOut = 1;
    titleObject->hotkey = 1;
    objects.push_back(std::move(titleObject));

    // Credits rolling up, entering from the bottom edge.
    auto roll = RollObject(CRect{80, 320, 600, 880}, creditsPath, kSpeedSlow, framePeriod);
    roll->startFromEdge = 1;
    objects.push_back(std::move(roll));

    // The video as a background, imported as the editor imports it, with
    // its caption.
    QuietImportFeedback feedback;
    CPictureImportResult imported = ImportPictureObject(clipPath, CImportTarget{kCanvasWidth, kCanvasHeight, framePeriod}, feedback);
    if (!imported.object) {
        error = feedback.lastMessage.isEmpty() ? QStringLiteral("cannot import %1").arg(clipPath) : feedback.lastMessage;
        return false;
    }
    auto video = std::move(imported.object);
    video->rect = CRect{1380, 320, 1380 + video->backgroundWidth, 320 + video->backgroundHeight};
    video->loopAnimation = 1;
    video->showIndefinitely = 1;
    video->showFor = 0;
    video->richText = Rtf({{QStringLiteral("LIVE"), 20, true, 0xFFFFFF, 'r'}});
    video->inEffect = 19;  // stretch from the centre to the corners
    video->inDuration = 500;
    objects.push_back(std::move(video));

    // One CSV row per presentation, repeating.
    auto rotator = NewObject(1380, 620, 480, 100, framePeriod);
    rotator->backgroundColor = 0xC0401A0Au;
    rotator->textSource = kSourceCsvFile;
    rotator->fileName = resultsPath;
    rotator->encoding = kEncodingUtf8;
    rotator->firstLineIsHeader = 1;
    rotator->richText = Rtf({{QStringLiteral("%Team%   %Score%"), 32, true, 0xFFFFFF, 'c'}});
    rotator->showFor = 3000;
    rotator->showIndefinitely = 0;
    rotator->repeat = 1;
    rotator->inEffect = 11;  // stretch from the top side
    rotator->inDuration = 300;
    rotator->fadeIn = 1;
    rotator->outDuration = 300;
    rotator->fadeOut = 1;
    objects.push_back(std::move(rotator));

    // Lower third: a name band and a title strip that play together.
    auto name = NewObject(660, 760, 1000, 120, framePeriod);
    SetPicture(*name, BandPicture(1000, 120, QColor(10, 40, 110, 235), QColor(30, 90, 190, 200)));
    name->richText = Rtf({{QStringLiteral("Jana Novák"), 40, true, 0xFFFFFF, 'l'}});
    name->dropShadow = kShadowMedium;
    name->inEffect = 20;  // reveal from the left side
    name->inDuration = 600;
    name->outEffect = 20;
    name->outDuration = 400;
    name->group = QStringLiteral("Lower third");
    name->hotkey = 2;
    objects.push_back(std::move(name));
    auto role = NewObject(660, 880, 800, 60, framePeriod);
    role->backgroundColor = 0xE6282828u;
    role->richText = Rtf({{QStringLiteral("Correspondent, Prague"), 24, false, 0xFFBE28, 'l'}});
    role->dropShadow = kShadowOutline;
    role->startDelay = 300;
    role->inEffect = 20;
    role->inDuration = 400;
    role->fadeIn = 1;
    role->outDuration = 300;
    role->fadeOut = 1;
    role->group = QStringLiteral("Lower third");
    objects.push_back(std::move(role));

    // A looping animation.
    auto spinner = NewObject(1700, 740, 160, 160, framePeriod);
    spinner->backgroundType = kBackgroundPicture;
    for (int i = 0; i < 24; ++i)
        spinner->AddBackgroundFrame(kCanvasHeight, PictureFromImage(SpinnerPicture(160, i, 24)), kCanvasWidth, 40);
    spinner->loopAnimation = 1;
    objects.push_back(std::move(spinner));

    // Clock and countdown in the top corners.
    objects.push_back(ClockObject(framePeriod));
    auto countdown = NewObject(40, 20, 240, 60, framePeriod);
    countdown->backgroundColor = 0xB0000060u;
    countdown->textSource = kSourceTimer;
    countdown->timerFormat = QStringLiteral("%M:%S");
    countdown->timerDirection = kTimerDown;
    countdown->timerStart = 300;
    countdown->timerStop = 0;
    countdown->richText = Rtf({{QStringLiteral("%1%"), 28, true, 0xFFBE28, 'c'}});
    objects.push_back(std::move(countdown));

    auto crawl = CrawlObject(crawlPath, kSpeedMid, framePeriod);
    crawl->startFromEdge = 1;
    objects.push_back(std::move(crawl));

    return WriteObjects(folder.filePath(QLatin1String(kDemoPageName)), objects, error);
}

bool WriteReferencePage(const QString& folderPath, int framePeriod, QString& error)
{
    QDir folder(folderPath);
    if (!folder.mkpath(QStringLiteral("."))) {
        error = QStringLiteral("cannot create %1").arg(folderPath);
        return false;
    }
    const QString crawlPath = folder.filePath(QStringLiteral("reference-crawl.txt"));
    const QString rollPath = folder.filePath(QStringLiteral("reference-roll.rtf"));
    if (!WriteBytes(crawlPath, QByteArray(kCrawlText).repeated(4) + "\n", error) ||
        !WriteBytes(rollPath, CreditsRtf(200), error))
        return false;

    OwnedFrameList objects;
    const QImage band = BandPicture(1000, 120, QColor(10, 40, 110, 235), QColor(30, 90, 190, 200));
    for (int i = 0; i < 16; ++i) {
        auto third = NewObject(i % 2 ? 920 : 0, (i / 2) * 120, 1000, 120, framePeriod);
        SetPicture(*third, band);
        third->richText = Rtf({{QStringLiteral("Speaker %1").arg(i + 1), 32, true, 0xFFFFFF, 'l'},
                               {QStringLiteral("Title of the speaker, place"), 22, false, 0xFFBE28, 'l'}});
        third->dropShadow = i % 2 ? kShadowMedium : kShadowNone;
        objects.push_back(std::move(third));
    }
    objects.push_back(RollObject(CRect{1300, 140, 1900, 940}, rollPath, kSpeedMid, framePeriod));
    objects.push_back(ClockObject(framePeriod));
    auto timer = NewObject(1640, 90, 240, 60, framePeriod);
    timer->backgroundColor = 0xB0000060u;
    timer->textSource = kSourceTimer;
    timer->timerFormat = QStringLiteral("%s.%h");
    timer->timerStop = 3600;
    timer->richText = Rtf({{QStringLiteral("%1%"), 28, true, 0xFFBE28, 'c'}});
    objects.push_back(std::move(timer));
    objects.push_back(CrawlObject(crawlPath, kSpeedFast, framePeriod));

    return WriteObjects(folder.filePath(QLatin1String(kReferencePageName)), objects, error);
}

QString GridPageName(int objects)
{
    return QStringLiteral("grid%1.tavrel").arg(objects);
}

bool WriteGridPage(const QString& folderPath, int count, int framePeriod, QString& error)
{
    if (count < 1 || count > CFrameSet::kMaxObjects) {
        error = QStringLiteral("a grid page holds 1 to %1 objects").arg(CFrameSet::kMaxObjects);
        return false;
    }
    QDir folder(folderPath);
    if (!folder.mkpath(QStringLiteral("."))) {
        error = QStringLiteral("cannot create %1").arg(folderPath);
        return false;
    }
    constexpr int kRows = (CFrameSet::kMaxObjects + kGridColumns - 1) / kGridColumns;
    constexpr int kColumnStep = (kCanvasWidth - kGridObjectWidth) / (kGridColumns - 1);
    constexpr int kRowStep = (kCanvasHeight - kGridObjectHeight) / (kRows - 1);
    static const char* const kNames[] = {"North", "East", "South", "West", "Harbour", "Hills", "Old Town", "Airport"};

    OwnedFrameList objects;
    for (int i = 0; i < count; ++i) {
        const int column = i % kGridColumns;
        const int row = i / kGridColumns;
        auto object = NewObject(column * kColumnStep, row * kRowStep, kGridObjectWidth, kGridObjectHeight, framePeriod);
        // A picture of its own: the hue turns along the row, the light edge
        // with the column.
        const QColor from = QColor::fromHsv((column * 22 + row * 7) % 360, 200, 110, 235);
        const QColor to = QColor::fromHsv((column * 22 + row * 7 + 40) % 360, 160, 190, 200);
        SetPicture(*object, BandPicture(kGridObjectWidth, kGridObjectHeight, from, to));
        const int share = (i * 37) % 1000;
        object->richText = Rtf({{QStringLiteral("%1 %2  %3.%4%")
                                     .arg(QLatin1String(kNames[i % 8]))
                                     .arg(i + 1)
                                     .arg(share / 10)
                                     .arg(share % 10),
                                 18, true, 0xFFFFFF, 'l'}});
        object->dropShadow = i % 2 ? kShadowMedium : kShadowNone;
        // Effects 1 to 30 in steps of 7, so that every row of 16 holds
        // slides (1-8), stretches (9-19) and reveals (20-30) alike and 30
        // objects all of them; every fourth object fades as well.
        object->inEffect = 1 + (i * 7) % 30;
        object->inDuration = kGridEffectDuration;
        object->fadeIn = i % 4 == 0;
        object->outEffect = object->inEffect;
        object->outDuration = kGridEffectDuration;
        object->fadeOut = object->fadeIn;
        objects.push_back(std::move(object));
    }
    return WriteObjects(folder.filePath(GridPageName(count)), objects, error);
}
