#include "ChangedSettings.h"

#include "model/PageFile.h"
#include "model/UniFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

namespace {

using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;

// Where things lie in a page written by the fixture's objects.
constexpr int kHeader = 256;
constexpr int kBlock = 512;
// Default strings: "", "%H:%M", "%H:%M:%S", "", "" as counts and UTF-16 units.
constexpr int kDefaultStringBytes = 4 + 4 + 10 + 4 + 16 + 4 + 4;

void PatchInt(QByteArray& bytes, qsizetype offset, int64_t value)
{
    PutInt32(reinterpret_cast<uint8_t*>(bytes.data()), int(offset), value);
}

int GetInt(const QByteArray& bytes, qsizetype offset)
{
    return GetInt32(reinterpret_cast<const uint8_t*>(bytes.constData()), int(offset));
}

CPicture Solid(int w, int h, uint32_t pixel)
{
    CPicture p(w, h);
    std::fill(p.pixels.begin(), p.pixels.end(), pixel);
    return p;
}

class PageFile : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    std::vector<CUserMessage> messages;

    QString Path(const QString& name = QStringLiteral("show.tavrel")) const { return dir.filePath(name); }

    CPageFileContext Context(int width = 1920, int height = 1080)
    {
        CPageFileContext context;
        context.rasterWidth = width;
        context.rasterHeight = height;
        context.framePeriod = 20000;
        context.desktopDpi = 96;
        context.message = [this](const CUserMessage& m) { messages.push_back(m); };
        return context;
    }

    int Save(const std::vector<std::unique_ptr<CFrame>>& objects, const QString& path, CPageFileContext context)
    {
        FrameList list;
        for (const auto& o : objects)
            list.push_back(o.get());
        return WritePage(path, list, context);
    }

    OwnedFrameList Load(const QString& path, CPageFileContext context, int* status = nullptr)
    {
        OwnedFrameList objects;
        const int result = ReadPage(path, objects, 0, context);
        if (status)
            *status = result ? 0 : context.modeMismatch ? 5 : context.status;
        return objects;
    }

    static OwnedFrameList Objects(int count)
    {
        OwnedFrameList objects;
        for (int i = 0; i < count; ++i) {
            objects.push_back(std::make_unique<CFrame>());
            objects.back()->rect = CRect{i, 2 * i, 100 + i, 50 + i};
        }
        return objects;
    }

    QByteArray Bytes(const QString& path) const
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    void Put(const QString& path, const QByteArray& bytes) const
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }

    // A saved page of `count` default objects, as bytes to edit.
    QByteArray PageBytes(int count = 1)
    {
        EXPECT_TRUE(Save(Objects(count), Path(), Context()));
        return Bytes(Path());
    }

    // Loads `good` changed by `edit`, with the messages of that load only.
    OwnedFrameList LoadEdited(const QByteArray& good, const std::function<void(QByteArray&)>& edit, int* status)
    {
        QByteArray bytes = good;
        edit(bytes);
        Put(Path(), bytes);
        messages.clear();
        return Load(Path(), Context(), status);
    }

    QString LastMessage() const { return messages.empty() ? QString() : messages.back().text; }
};

TEST_F(PageFile, RoundTripKeepsEverySetting)
{
    // Frames are stored only while the object is not linked to its image file.
    auto unlinked = ObjectWithEverySettingChanged();
    unlinked->linkImageFile = 0;
    unlinked->imageFileName = dir.filePath(QStringLiteral("img/a.png"));
    unlinked->backgroundFrames.clear();
    CPicture first = Solid(64, 32, 0xFF00FF00u);
    unlinked->AddBackgroundFrame(1080, first, 1920, 40);
    unlinked->AddBackgroundFrame(1080, Solid(64, 32, 0x00000000u), 1920, 60);
    OwnedFrameList objects;
    objects.push_back(std::move(unlinked));
    objects.push_back(ObjectWithEverySettingChanged());
    ASSERT_EQ(Save(objects, Path(), Context()), 1);
    int status = -1;
    const OwnedFrameList loaded = Load(Path(), Context(), &status);
    ASSERT_EQ(status, 0);
    ASSERT_EQ(loaded.size(), 2u);
    EXPECT_THAT(DifferingSettings(*loaded[0], *objects[0]), IsEmpty());
    // A linked object takes its frames, and their size, from the image file.
    EXPECT_THAT(DifferingSettings(*loaded[1], *objects[1]),
                UnorderedElementsAre("backgroundWidth", "backgroundHeight", "backgroundFrames"));
    EXPECT_TRUE(loaded[1]->backgroundFrames.empty());

    const CFrame& r = *loaded[0];
    EXPECT_EQ(r.framePeriod, 20000);
    ASSERT_EQ(r.backgroundFrames.size(), 2u);
    EXPECT_EQ(r.backgroundFrames[1].duration, 60);
    CPicture pixels;
    r.backgroundFrames[0].picture.Decompress(pixels);
    EXPECT_EQ(pixels.pixels, first.pixels);
    EXPECT_TRUE(messages.empty());
}

// A page as earlier versions stored it is written back byte for byte. Its
// one object holds 1000 + the offset in every int field of the settings
// block (all but the type, speed, timer direction, colour, rectangle and
// counts, which hold values valid for them), five different strings, rich
// text and no frames.
TEST_F(PageFile, StoredPageIsWrittenBackByteForByte)
{
    const QString stored = QStringLiteral(TAVREL_FIXTURES_DIR "/pages/every-field.tavrel");
    int status = -1;
    const OwnedFrameList loaded = Load(stored, Context(), &status);
    ASSERT_EQ(status, 0);
    ASSERT_EQ(loaded.size(), 1u);
    CPageFileContext context = Context();
    ASSERT_EQ(WritePage(Path(), FrameList{loaded[0].get()}, context), 1);
    const QByteArray expected = Bytes(stored);
    const QByteArray written = Bytes(Path());
    ASSERT_FALSE(expected.isEmpty());
    qsizetype differ = 0;
    while (differ < expected.size() && differ < written.size() && expected[differ] == written[differ])
        ++differ;
    EXPECT_EQ(written.size(), expected.size());
    EXPECT_EQ(differ, expected.size()) << "first difference at byte " << differ;
}

TEST_F(PageFile, BytesAreLaidOutAsTheFormatSays)
{
    auto objects = Objects(1);
    objects[0]->speed = 11;
    objects[0]->AddBackgroundFrame(1080, Solid(20, 16, 0xFF010203u), 1920, 40);
    CPageFileContext context = Context(1280, 720);
    context.desktopDpi = 120;
    ASSERT_EQ(Save(objects, Path(), context), 1);
    const QByteArray bytes = Bytes(Path());
    EXPECT_EQ(bytes.left(4), QByteArray("QLPF"));
    EXPECT_EQ(GetInt(bytes, 4), 1);   // version
    EXPECT_EQ(GetInt(bytes, 12), 1);  // objects
    EXPECT_EQ(GetInt(bytes, 16), 120);
    EXPECT_EQ(GetInt(bytes, 20), 1280);
    EXPECT_EQ(GetInt(bytes, 24), 720);
    EXPECT_EQ(GetInt(bytes, 36), 0);  // no thumbnail without an editor view
    EXPECT_EQ(GetInt(bytes, kHeader + 12), 11);
    EXPECT_EQ(GetInt(bytes, kHeader + 80), 0);
    EXPECT_EQ(GetInt(bytes, kHeader + 88), 100);
    EXPECT_EQ(GetInt(bytes, kHeader + 96), 5);    // strings
    EXPECT_EQ(GetInt(bytes, kHeader + 104), 1);   // frames
    EXPECT_EQ(GetInt(bytes, kHeader + 160), 1);   // has the timer stop
    EXPECT_EQ(GetInt(bytes, kHeader + 164), 3600);
    const int frame = kHeader + kBlock + kDefaultStringBytes;
    EXPECT_EQ(GetInt(bytes, frame + 0), 20);
    EXPECT_EQ(GetInt(bytes, frame + 8), 40);
    EXPECT_EQ(GetInt(bytes, frame + 12), 1);      // compressed
    EXPECT_EQ(GetInt(bytes, frame + 16), 6);      // 320 equal pixels: one run
    EXPECT_EQ(bytes.size(), frame + 64 + 6);
}

TEST_F(PageFile, PageSizeMustMatchTheVideoMode)
{
    struct Case
    {
        int width, height, legacyHd;
        int modeWidth, modeHeight;
        bool loads;
    };
    const Case cases[] = {
        {0, 0, 1, 1920, 1080, true},  {0, 0, 1, 720, 576, false},  {0, 0, 0, 720, 576, true},
        {0, 0, 0, 1920, 1080, false}, {0, 0, 7, 720, 576, true},   {720, 480, 0, 720, 488, true},
        {720, 486, 0, 720, 488, true}, {720, 488, 0, 720, 488, true}, {1280, 720, 0, 1920, 1080, false},
    };
    QByteArray bytes = PageBytes();
    for (const Case& c : cases) {
        PatchInt(bytes, 8, c.legacyHd);
        PatchInt(bytes, 20, c.width);
        PatchInt(bytes, 24, c.height);
        Put(Path(), bytes);
        messages.clear();
        int status = -1;
        const auto objects = Load(Path(), Context(c.modeWidth, c.modeHeight), &status);
        EXPECT_EQ(status, c.loads ? 0 : 5) << c.width << "x" << c.height << " legacy " << c.legacyHd;
        EXPECT_EQ(objects.size(), c.loads ? 1u : 0u);
        if (!c.loads) {
            const int shownHeight = c.width == 0 ? (c.legacyHd == 1 ? 1080 : 576) : c.height;
            const int shownWidth = c.width == 0 ? (c.legacyHd == 1 ? 1920 : 720) : c.width;
            EXPECT_EQ(LastMessage(), QStringLiteral("Error: This file was created for %1x%2 mode!\n\n%3")
                                         .arg(shownWidth).arg(shownHeight).arg(Path()));
        }
    }
    // Without a mode (the headless tool's plain read) any size loads.
    CPageFileContext noMode = Context(0, 0);
    int status = -1;
    EXPECT_EQ(Load(Path(), noMode, &status).size(), 1u);
}

TEST_F(PageFile, HeaderErrorsEndTheReadWithTheirMessage)
{
    struct Case
    {
        const char* name;
        std::function<void(QByteArray&)> edit;
        int status;
        const char* text;
    };
    const Case cases[] = {
        {"magic", [](QByteArray& b) { b[3] = 'X'; }, 3, "Error: File is corrupt!\n\n%1"},
        {"version 2", [](QByteArray& b) { PatchInt(b, 4, 2); }, 4, "Error: Unknown file version!\n\n%1"},
        {"version above 2^31", [](QByteArray& b) { PatchInt(b, 4, 0x80000000u); }, 4, "Error: Unknown file version!\n\n%1"},
        {"257 objects", [](QByteArray& b) { PatchInt(b, 12, 257); }, 3, "Error: File is corrupt!\n\n%1"},
        {"version 2 with 257 objects", [](QByteArray& b) { PatchInt(b, 4, 2); PatchInt(b, 12, 257); }, 4,
         "Error: Unknown file version!\n\n%1"},
        {"short header", [](QByteArray& b) { b.truncate(100); }, 3, "Error: File is corrupt!\n\n%1"},
        {"missing record", [](QByteArray& b) { PatchInt(b, 12, 2); }, 3, "Error: File is corrupt!\n\n%1"},
        {"version 0", [](QByteArray& b) { PatchInt(b, 4, 0); }, 0, ""},
    };
    const QByteArray good = PageBytes();
    for (const Case& c : cases) {
        int status = -1;
        const auto objects = LoadEdited(good, c.edit, &status);
        EXPECT_EQ(status, c.status) << c.name;
        if (c.status != 0) {
            EXPECT_TRUE(objects.empty()) << c.name;
            ASSERT_EQ(messages.size(), 1u) << c.name;
            EXPECT_EQ(messages[0].text, QString::fromUtf8(c.text).arg(Path())) << c.name;
            EXPECT_EQ(messages[0].stringId, 10310 + c.status) << c.name;
        }
    }
    int status = -1;
    Load(Path(QStringLiteral("missing.tavrel")), Context(), &status);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(LastMessage(), QStringLiteral("Error: File open failed!\n\n%1").arg(Path(QStringLiteral("missing.tavrel"))));
}

TEST_F(PageFile, FullPageOfTwoHundredFiftySixLoads)
{
    int status = -1;
    PageBytes(CFrameSet::kMaxObjects);
    EXPECT_EQ(Load(Path(), Context(), &status).size(), size_t(CFrameSet::kMaxObjects));
    EXPECT_EQ(status, 0);
}

TEST_F(PageFile, ObjectsOfUnknownBackgroundTypeAreSkipped)
{
    QByteArray bytes = PageBytes(3);
    const int recordSize = kBlock + kDefaultStringBytes;
    PatchInt(bytes, kHeader + recordSize, 2);
    Put(Path(), bytes);
    int status = -1;
    const auto objects = Load(Path(), Context(), &status);
    ASSERT_EQ(status, 0);
    ASSERT_EQ(objects.size(), 2u);
    EXPECT_EQ(objects[1]->rect, (CRect{2, 4, 102, 52}));
}

TEST_F(PageFile, StringCountsOtherThanFive)
{
    auto objects = Objects(1);
    objects[0]->group = QStringLiteral("g");
    objects[0]->richText = "rtf";
    ASSERT_EQ(Save(objects, Path(), Context()), 1);
    const QByteArray saved = Bytes(Path());
    const int strings = kHeader + kBlock;
    const int groupAt = strings + 4 + 4 + 10 + 4 + 16;
    const int afterStrings = groupAt + 4 + 2 + 4;

    QByteArray three = saved;
    PatchInt(three, kHeader + 96, 3);
    three.remove(groupAt, afterStrings - groupAt);
    Put(Path(), three);
    int status = -1;
    auto loaded = Load(Path(), Context(), &status);
    ASSERT_EQ(status, 0);
    EXPECT_EQ(loaded[0]->group, QString());
    EXPECT_EQ(loaded[0]->timerFormat, QStringLiteral("%H:%M:%S"));
    EXPECT_EQ(loaded[0]->richText, QByteArray("rtf"));

    QByteArray six = saved;
    PatchInt(six, kHeader + 96, 6);
    QByteArray extra(4, '\0');
    PatchInt(extra, 0, 2);
    extra += QByteArray("x\0y\0", 4);
    six.insert(afterStrings, extra);
    Put(Path(), six);
    loaded = Load(Path(), Context(), &status);
    ASSERT_EQ(status, 0);
    EXPECT_EQ(loaded[0]->group, QStringLiteral("g"));
    EXPECT_EQ(loaded[0]->richText, QByteArray("rtf"));
}

TEST_F(PageFile, StringsEndAtTheirFirstNul)
{
    auto objects = Objects(1);
    objects[0]->group = QStringLiteral("ab") + QChar(u'\0') + QStringLiteral("cd");
    ASSERT_EQ(Save(objects, Path(), Context()), 1);
    int status = -1;
    EXPECT_EQ(Load(Path(), Context(), &status)[0]->group, QStringLiteral("ab"));
}

TEST_F(PageFile, OldRecordsAndStoredSpeedsFollowTheReadingRules)
{
    struct Case
    {
        int hasTimerStop, direction, value, stop, speed;
        int expectedStart, expectedStop, expectedSpeed;
    };
    const Case cases[] = {
        {0, kTimerDown, 90, 5, 1, 90, 0, 10},
        {0, kTimerUp, 90, 5, 40, 0, 90, 12},
        {1, kTimerDown, 90, 5, 11, 90, 5, 11},
    };
    QByteArray bytes = PageBytes();
    for (const Case& c : cases) {
        PatchInt(bytes, kHeader + 160, c.hasTimerStop);
        PatchInt(bytes, kHeader + 136, c.direction);
        PatchInt(bytes, kHeader + 132, c.value);
        PatchInt(bytes, kHeader + 164, c.stop);
        PatchInt(bytes, kHeader + 12, c.speed);
        Put(Path(), bytes);
        int status = -1;
        const auto objects = Load(Path(), Context(), &status);
        ASSERT_EQ(objects.size(), 1u);
        EXPECT_EQ(objects[0]->timerStart, c.expectedStart);
        EXPECT_EQ(objects[0]->timerStop, c.expectedStop);
        EXPECT_EQ(objects[0]->speed, c.expectedSpeed);
    }
}

TEST_F(PageFile, DifferentFontSizeWarnsAndLoads)
{
    struct Case
    {
        int fileDpi;
        const char* size;
    };
    const Case cases[] = {{120, "Medium -"}, {144, "Large -"}, {100, ""}};
    for (const Case& c : cases) {
        CPageFileContext saving = Context();
        saving.desktopDpi = c.fileDpi;
        ASSERT_EQ(Save(Objects(1), Path(), saving), 1);
        messages.clear();
        int status = -1;
        EXPECT_EQ(Load(Path(), Context(), &status).size(), 1u);
        EXPECT_EQ(status, 0);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].icon, kMessageWarning);
        EXPECT_EQ(messages[0].text,
                  QStringLiteral("Warning: This file was created on computer with different font size setting (%1 %2 "
                                 "DPI)!\n\nPlease set the same system font size if you want proper text display.")
                      .arg(QString::fromUtf8(c.size))
                      .arg(c.fileDpi));
    }
    // A stored 0 means 96.
    QByteArray bytes = PageBytes();
    PatchInt(bytes, 16, 0);
    Put(Path(), bytes);
    messages.clear();
    Load(Path(), Context());
    EXPECT_TRUE(messages.empty());
    CPageFileContext at120 = Context();
    at120.desktopDpi = 120;
    Load(Path(), at120);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].text.contains(QStringLiteral("(Normal - 96 DPI)")));
}

TEST_F(PageFile, PathsInsideThePageFolderTravelWithThePage)
{
    auto objects = Objects(1);
    objects[0]->imageFileName = dir.filePath(QStringLiteral("img/a.png"));
    objects[0]->fileName = dir.path().toUpper() + QStringLiteral("/x.txt");  // other case: not inside
    ASSERT_EQ(Save(objects, Path(), Context()), 1);
    const QByteArray bytes = Bytes(Path());
    EXPECT_TRUE(bytes.contains(QByteArray("+\0i\0m\0g\0/\0a\0.\0p\0n\0g\0", 20)));

    QTemporaryDir other;
    const QString moved = other.filePath(QStringLiteral("show.tavrel"));
    Put(moved, bytes);
    int status = -1;
    auto loaded = Load(moved, Context(), &status);
    ASSERT_EQ(status, 0);
    EXPECT_EQ(loaded[0]->imageFileName, other.path() + QStringLiteral("/img/a.png"));
    EXPECT_EQ(loaded[0]->fileName, objects[0]->fileName);

    // Pages made on the other system write backslashes after the "+".
    EXPECT_EQ(ExpandFromPage(QStringLiteral("+img\\b\\c.png"), moved), other.path() + QStringLiteral("/img/b/c.png"));
    EXPECT_EQ(RelativeToPage(dir.path() + QStringLiteral("/"), Path()), dir.path() + QStringLiteral("/"));
}

TEST_F(PageFile, RawFramesLoadCompressedAndAreSavedCompressed)
{
    auto objects = Objects(1);
    objects[0]->AddBackgroundFrame(1080, Solid(40, 30, 0xFF445566u), 1920, 40);
    ASSERT_EQ(Save(objects, Path(), Context()), 1);
    QByteArray bytes = Bytes(Path());
    const int frame = kHeader + kBlock + kDefaultStringBytes;
    PatchInt(bytes, frame + 12, 0);
    bytes.truncate(frame + 64);
    const CPicture raw = Solid(40, 30, 0xFF445566u);
    bytes.append(reinterpret_cast<const char*>(raw.pixels.data()), qsizetype(raw.RawSize()));
    Put(Path(), bytes);

    int status = -1;
    const auto loaded = Load(Path(), Context(), &status);
    ASSERT_EQ(status, 0);
    const CCompressedPicture& picture = loaded[0]->backgroundFrames.at(0).picture;
    EXPECT_EQ(picture.compressedSize, 6);
    FrameList list{loaded[0].get()};
    CPageFileContext context = Context();
    ASSERT_EQ(WritePage(Path(), list, context), 1);
    const QByteArray resaved = Bytes(Path());
    EXPECT_EQ(GetInt(resaved, frame + 12), 1);
    EXPECT_EQ(GetInt(resaved, frame + 16), 6);
}

TEST_F(PageFile, NoisyFramesAreStoredRawAndComeBackIntact)
{
    auto objects = Objects(1);
    CPicture noise(33, 17);
    for (size_t i = 0; i < noise.pixels.size(); ++i)
        noise.pixels[i] = uint32_t(i * 2654435761u);
    objects[0]->AddBackgroundFrame(1080, noise, 1920, 40);
    ASSERT_EQ(objects[0]->backgroundFrames[0].picture.compressedSize, -1);
    ASSERT_EQ(Save(objects, Path(), Context()), 1);
    EXPECT_EQ(GetInt(Bytes(Path()), kHeader + kBlock + kDefaultStringBytes + 16), -1);
    int status = -1;
    const auto loaded = Load(Path(), Context(), &status);
    ASSERT_EQ(status, 0);
    CPicture pixels;
    loaded[0]->backgroundFrames.at(0).picture.Decompress(pixels);
    EXPECT_EQ(pixels.pixels, noise.pixels);
}

TEST_F(PageFile, FramesBeyondTheLimitArePassedOverAndTheNextObjectLoads)
{
    auto objects = Objects(2);
    for (int i = 0; i < kMaxBackgroundFrames + 2; ++i)
        objects[0]->backgroundFrames.emplace_back(CCompressedPicture(Solid(2, 2, uint32_t(i))), 20);
    objects[0]->backgroundWidth = objects[0]->backgroundHeight = 2;
    objects[1]->group = QStringLiteral("after");
    ASSERT_EQ(Save(objects, Path(), Context()), 1);
    int status = -1;
    const auto loaded = Load(Path(), Context(), &status);
    ASSERT_EQ(status, 0);
    ASSERT_EQ(loaded.size(), 2u);
    EXPECT_EQ(loaded[0]->backgroundFrames.size(), size_t(kMaxBackgroundFrames));
    EXPECT_EQ(loaded[1]->group, QStringLiteral("after"));
}

// Sizes in a file are checked against the bytes that are there and against
// the limits before anything is allocated; a hostile page is "corrupt".
TEST_F(PageFile, HostileSizesAreCorruptNotCrashes)
{
    auto objects = Objects(1);
    objects[0]->richText = "ab";
    objects[0]->AddBackgroundFrame(1080, Solid(16, 16, 0xFF0000FFu), 1920, 40);
    ASSERT_EQ(Save(objects, Path(), Context()), 1);
    const QByteArray good = Bytes(Path());
    const int strings = kHeader + kBlock;
    const int frame = strings + kDefaultStringBytes + 2;
    struct Case
    {
        const char* name;
        std::function<void(QByteArray&)> edit;
    };
    const Case cases[] = {
        {"frame wider than 32000", [&](QByteArray& b) { PatchInt(b, frame, 32001); }},
        {"negative frame height", [&](QByteArray& b) { PatchInt(b, frame + 4, -1); }},
        {"huge raw frame", [&](QByteArray& b) { PatchInt(b, frame, 32000); PatchInt(b, frame + 4, 32000); PatchInt(b, frame + 12, 0); }},
        {"huge payload", [&](QByteArray& b) { PatchInt(b, frame + 16, 0x7FFFFFFF); }},
        {"negative payload", [&](QByteArray& b) { PatchInt(b, frame + 16, -2); }},
        {"payload underruns the frame", [&](QByteArray& b) { PatchInt(b, frame + 4, 17); }},
        {"payload overruns the frame", [&](QByteArray& b) { PatchInt(b, frame + 4, 15); }},
        {"huge rich text", [&](QByteArray& b) { PatchInt(b, kHeader + 100, 0x7FFFFFFF); }},
        {"negative rich text", [&](QByteArray& b) { PatchInt(b, kHeader + 100, -5); }},
        {"huge string", [&](QByteArray& b) { PatchInt(b, strings, 0x7FFFFFFF); }},
        {"negative string", [&](QByteArray& b) { PatchInt(b, strings, -1); }},
        {"many strings", [&](QByteArray& b) { PatchInt(b, kHeader + 96, 0x7FFFFFFF); }},
        {"many frames", [&](QByteArray& b) { PatchInt(b, kHeader + 104, 0x7FFFFFFF); }},
        {"cut in the payload", [&](QByteArray& b) { b.chop(3); }},
        {"cut in the frame header", [&](QByteArray& b) { b.truncate(frame + 10); }},
        {"cut in the block", [&](QByteArray& b) { b.truncate(kHeader + 300); }},
    };
    for (const Case& c : cases) {
        int status = -1;
        const auto loaded = LoadEdited(good, c.edit, &status);
        EXPECT_EQ(status, 3) << c.name;
        EXPECT_TRUE(loaded.empty()) << c.name;
        EXPECT_EQ(LastMessage(), QStringLiteral("Error: File is corrupt!\n\n%1").arg(Path())) << c.name;
    }
}

// One object whose animation frames differ in size loses its frames, not
// the page: the other objects load, the reader passes over the frames that
// follow, and the operator is warned.
TEST_F(PageFile, FramesOfDifferentSizesAreDroppedAndThePageLoads)
{
    const auto noise = [](int seed) {
        CPicture p(32, 16);
        for (size_t i = 0; i < p.pixels.size(); ++i)
            p.pixels[i] = uint32_t((i + 1) * 2654435761u * uint32_t(seed));
        return p;
    };
    auto objects = Objects(2);
    objects[0]->hotkey = 5;
    objects[0]->backgroundType = kBackgroundPicture;
    for (int i = 1; i <= 3; ++i)
        objects[0]->AddBackgroundFrame(1080, noise(i), 1920, 40 * i);
    objects[1]->group = QStringLiteral("after");
    objects[1]->AddBackgroundFrame(1080, noise(7), 1920, 20);
    ASSERT_EQ(objects[0]->backgroundFrames.size(), 3u);
    ASSERT_EQ(objects[0]->backgroundFrames[0].picture.compressedSize, -1) << "stored raw: 32 x 16 as many bytes as 16 x 32";
    ASSERT_EQ(Save(objects, Path(), Context()), 1);
    const QByteArray good = Bytes(Path());
    const int firstFrame = kHeader + kBlock + kDefaultStringBytes;
    const int frameBytes = 64 + 32 * 16 * 4;

    for (int patched = 0; patched < 3; ++patched) {
        SCOPED_TRACE(patched);
        int status = -1;
        const auto loaded = LoadEdited(
            good,
            [&](QByteArray& b) {
                // The same pixels as 16 x 32: only the header says another size.
                PatchInt(b, firstFrame + patched * frameBytes, 16);
                PatchInt(b, firstFrame + patched * frameBytes + 4, 32);
            },
            &status);
        ASSERT_EQ(status, 0);
        ASSERT_EQ(loaded.size(), 2u);
        EXPECT_TRUE(loaded[0]->backgroundFrames.empty());
        EXPECT_EQ(loaded[0]->backgroundWidth, 0);
        EXPECT_EQ(loaded[0]->backgroundHeight, 0);
        EXPECT_EQ(loaded[0]->hotkey, 5) << "the object keeps its other settings";
        EXPECT_EQ(loaded[0]->backgroundType, kBackgroundPicture);
        EXPECT_EQ(loaded[0]->rect, objects[0]->rect);
        EXPECT_EQ(loaded[1]->group, QStringLiteral("after"));
        ASSERT_EQ(loaded[1]->backgroundFrames.size(), 1u);
        CPicture pixels;
        loaded[1]->backgroundFrames[0].picture.Decompress(pixels);
        EXPECT_EQ(pixels.pixels, noise(7).pixels) << "the next object is read from the right place";
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].icon, kMessageWarning);
        EXPECT_EQ(messages[0].text,
                  QStringLiteral("Warning: The animation frames of an object in this file differ in size!\n\n"
                                 "The object was loaded without them.\n\n%1")
                      .arg(Path()));
    }
}

TEST_F(PageFile, ThumbnailIsTheComposedPageHalvedToAtMost480Wide)
{
    struct Case
    {
        int rasterWidth, rasterHeight, thumbWidth, thumbHeight;
    };
    const Case cases[] = {{1920, 1080, 480, 270}, {1280, 720, 320, 180}, {720, 576, 360, 288}, {720, 488, 360, 244}};
    for (const Case& c : cases) {
        CPicture composed(c.rasterWidth / 2, c.rasterHeight / 2);  // the editor's picture may be zoomed
        composed.Checkerboard();
        CPageFileContext context = Context(c.rasterWidth, c.rasterHeight);
        context.composedPage = &composed;
        ASSERT_EQ(Save(Objects(2), Path(), context), 1);
        const QByteArray bytes = Bytes(Path());
        EXPECT_EQ(GetInt(bytes, 28), c.thumbWidth);
        EXPECT_EQ(GetInt(bytes, 32), c.thumbHeight);
        EXPECT_EQ(qsizetype(GetInt(bytes, 36)) + c.thumbWidth * c.thumbHeight * 4, bytes.size());

        CPicture thumbnail;
        CPageFileContext reading = Context(0, 0);
        reading.thumbnail = &thumbnail;
        OwnedFrameList none;
        messages.clear();
        ASSERT_EQ(ReadPage(Path(), none, 1, reading), 1);
        EXPECT_EQ(thumbnail.pixels, PageThumbnail(composed, c.rasterWidth, c.rasterHeight).pixels);
        // The objects still load normally.
        int status = -1;
        EXPECT_EQ(Load(Path(), Context(c.rasterWidth, c.rasterHeight), &status).size(), 2u);
    }
    // A page without a thumbnail: a quiet failure.
    ASSERT_EQ(Save(Objects(1), Path(), Context()), 1);
    CPicture thumbnail;
    CPageFileContext reading = Context(0, 0);
    reading.thumbnail = &thumbnail;
    OwnedFrameList none;
    messages.clear();
    EXPECT_EQ(ReadPage(Path(), none, 1, reading), 0);
    EXPECT_EQ(reading.status, 3);
    EXPECT_TRUE(messages.empty());
}

// A save that cannot finish (here: the file size limit of the process is
// reached, as on a full disk) leaves the previous page as it was.
TEST_F(PageFile, FailedSaveLeavesThePreviousFileUntouched)
{
    ASSERT_EQ(Save(Objects(3), Path(), Context()), 1);
    const QByteArray previous = Bytes(Path());

    auto big = Objects(1);
    CPicture noise(256, 256);
    for (size_t i = 0; i < noise.pixels.size(); ++i)
        noise.pixels[i] = uint32_t(i * 2654435761u);
    big[0]->AddBackgroundFrame(1080, noise, 1920, 40);

    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 64 * 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    messages.clear();
    const int result = Save(big, Path(), Context());
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(result, 0);
    EXPECT_EQ(LastMessage(), QStringLiteral("Error: File save failed!\n\n%1").arg(Path()));
    EXPECT_EQ(Bytes(Path()), previous);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("show.tavrel")});

    messages.clear();
    EXPECT_EQ(Save(Objects(1), dir.filePath(QStringLiteral("no/such/folder.tavrel")), Context()), 0);
    EXPECT_EQ(messages.at(0).stringId, 10311);
}

TEST_F(PageFile, SavingKeepsPermissionsAndLinks)
{
    ASSERT_EQ(Save(Objects(1), Path(), Context()), 1);
    const auto permissions = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup;
    QFile::setPermissions(Path(), permissions);
    ASSERT_TRUE(QFile::link(Path(), Path(QStringLiteral("link.tavrel"))));

    ASSERT_EQ(Save(Objects(2), Path(QStringLiteral("link.tavrel")), Context()), 1);
    EXPECT_TRUE(QFileInfo(Path(QStringLiteral("link.tavrel"))).isSymLink());
        // Owner, group and other bits (the "user" bits depend on who runs the test).
    constexpr int kModeBits = 0x7077;
    EXPECT_EQ(int(QFileInfo(Path()).permissions()) & kModeBits, int(permissions) & kModeBits);
    int status = -1;
    EXPECT_EQ(Load(Path(), Context(), &status).size(), 2u);
}

TEST_F(PageFile, WritingAPageSavesItsLiveObjects)
{
    CFrameSet page;
    for (auto& object : Objects(3))
        page.AddObject(object);
    FrameList held;
    page.TakeSnapshot(held);  // as the render thread would
    page.RemoveObject(held[1]);
    CPageFileContext context = Context();
    EXPECT_EQ(WritePage(Path(), page, context), 1);
    page.ReleaseSnapshot();
    int status = -1;
    const auto loaded = Load(Path(), Context(), &status);
    ASSERT_EQ(loaded.size(), 2u);
    EXPECT_EQ(loaded[1]->rect.left, 2);
}

}  // namespace
