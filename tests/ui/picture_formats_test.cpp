// The picture format table: the dialogs' filters, the batch tool's help and the extension
// rules all say what its rows say, in both interface languages.

#include <QPushButton>
#include <QtTest>
#include <sstream>

#include "app/main_window.h"
#include "platform/translation.h"
#include "raster/picture_formats.h"
#include "support/run_process.h"
#include "support/window_test_env.h"
#include "windows/picture_filters.h"

namespace {

using lenzora::platform::FileFilter;
using lenzora::raster::PictureFormat;
using lenzora::raster::SavedPicture;

// A filter as the dialog lists it: "label (*.jpg *.jpeg)".
std::string shown(const FileFilter& filter) {
    std::string patterns;
    for (const std::string& pattern : filter.patterns)
        patterns += (patterns.empty() ? "" : " ") + pattern;
    return filter.label + " (" + patterns + ")";
}

std::string upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// The line of `help` that starts with the format's extensions; empty when there is none.
std::string helpLine(const std::string& help, const PictureFormat& format) {
    std::string lead = " ";
    for (const std::string& extension : format.extensions) lead += " " + extension;
    std::istringstream lines(help);
    for (std::string line; std::getline(lines, line);)
        if (line.starts_with(lead + " ")) return line;
    return {};
}

const std::string kFileDialogs = "lenzora::platform::FileDialogs";

}  // namespace

class PictureFormatsTest : public QObject {
    Q_OBJECT

  private slots:
    void cleanup() { lenzora::platform::useLanguage(lenzora::platform::Language::Chinese); }

    void filtersHelpAndExtensionRulesFollowTheTable() {
        const auto& formats = lenzora::raster::pictureFormats();
        const PictureFormat& bitmap = lenzora::raster::bitmapFormat();
        struct Language {
            lenzora::platform::Language language;
            std::string all;  // the "All" filter's text
        } languages[] = {
            {lenzora::platform::Language::Chinese,
             "All (*.jpg;*.png;*.tif;*.bmp) (*.jpg *.jpeg *.png *.tif *.tiff *.bmp)"},
            {lenzora::platform::Language::English,
             "All pictures (*.jpg *.jpeg *.png *.tif *.tiff *.bmp)"},
        };
        const std::string help[] = {
            lenzora::testing::runProcess(LENZORA_CLI, {"compose", "--help"}).out,
            lenzora::testing::runProcess(LENZORA_CLI, {"proof", "--help"}).out,
            lenzora::testing::runProcess(LENZORA_CLI, {"chart", "--help"}).out};
        for (const Language& l : languages) {
            lenzora::platform::useLanguage(l.language);
            const auto open = lenzora::windows::openPictureFilters();
            const auto composite = lenzora::windows::savePictureFilters(SavedPicture::Composite);
            const auto chart = lenzora::windows::savePictureFilters(SavedPicture::Chart);
            QCOMPARE(shown(open.at(0)), l.all);
            QCOMPARE(open.at(0).defaultSuffix, std::string("jpg"));
            std::size_t opened = 1;
            std::size_t saved[2] = {1, 1};  // BMP comes first in both save dialogs
            for (const PictureFormat& format : formats) {
                const std::string name = format.name;
                const std::string suffix = format.extensions.front().substr(1);
                auto translated = [](const char* text) {
                    return lenzora::platform::translate(kFileDialogs.c_str(), text);
                };
                if (format.read != nullptr) {
                    const FileFilter& filter = open.at(opened++);
                    QCOMPARE(shown(filter), translated(format.openFilter));
                    QCOMPARE(filter.defaultSuffix, suffix);
                    for (const std::string& extension : format.extensions)
                        QVERIFY2(std::ranges::count(open.at(0).patterns, "*" + extension) == 1,
                                 extension.c_str());
                }
                const bool writes[2] = {format.writeComposite != nullptr,
                                        format.writeChart != nullptr};
                const std::vector<FileFilter>* dialogs[2] = {&composite, &chart};
                for (int d = 0; d < 2; ++d) {
                    if (!writes[d]) continue;
                    const FileFilter& filter =
                        &format == &bitmap ? dialogs[d]->front() : dialogs[d]->at(saved[d]++);
                    QCOMPARE(shown(filter), translated(format.saveFilter));
                    QCOMPARE(filter.defaultSuffix, suffix);
                }
                // The batch tool's help names each format where the command uses it.
                const bool uses[3] = {format.read != nullptr || writes[0], format.read != nullptr,
                                      writes[1]};
                for (int command = 0; command < 3; ++command) {
                    const std::string line = helpLine(help[command], format);
                    QVERIFY2(line.empty() != uses[command],
                             (name + " in\n" + help[command]).c_str());
                    if (uses[command])
                        QVERIFY2(line.find(format.help) != std::string::npos, line.c_str());
                }
                QCOMPARE(helpLine(help[0], format).find("frames") != std::string::npos,
                         format.read != nullptr);
                // Each extension in either case names the row.
                for (const std::string& extension : format.extensions) {
                    for (const std::string& path :
                         {"/p.d/card" + extension, "c:\\p\\CARD" + upper(extension)}) {
                        QCOMPARE(lenzora::raster::formatOfName(path), &format);
                        QCOMPARE(lenzora::raster::frameFormatOf(path),
                                 format.read != nullptr ? &format : nullptr);
                        QCOMPARE(&lenzora::raster::saveFormatFor(path, SavedPicture::Composite),
                                 writes[0] ? &format : &bitmap);
                        QCOMPARE(&lenzora::raster::saveFormatFor(path, SavedPicture::Chart),
                                 writes[1] ? &format : &bitmap);
                    }
                }
            }
            QCOMPARE(opened, open.size());
            QCOMPARE(saved[0], composite.size());
            QCOMPARE(saved[1], chart.size());
        }
        // Names of no format: no frame is taken from them, and they are saved as BMP.
        for (const char* path : {"/p/a.jpe", "/p/a.gif", "/p.d/a", "c:\\p.d\\a", "c:a.x:y",
                                 "noextension", "/my.jpg/card", "card.png.bak",
                                 ".t\xc4\xb0"
                                 "f"}) {
            QVERIFY2(lenzora::raster::formatOfName(path) == nullptr, path);
            QCOMPARE(&lenzora::raster::saveFormatFor(path, SavedPicture::Composite), &bitmap);
            QCOMPARE(&lenzora::raster::saveFormatFor(path, SavedPicture::Chart), &bitmap);
        }
        for (const char* path : {"a.tar.bmp", "/p/.bmp", ".BMP"})
            QCOMPARE(lenzora::raster::formatOfName(path), &bitmap);
    }

    // The main window's slot buttons open the dialog with the table's filters.
    void theOpenDialogIsGivenTheTablesFilters() {
        lenzora::testing::WindowTestEnvironment env;
        lenzora::app::MainWindow form;
        form.show();
        QTest::mouseClick(lenzora::testing::findControl<QPushButton>(form, "slotButton3"),
                          Qt::LeftButton);
        QCOMPARE(env.scripted.openPicture->timesShown, 1);
        const auto& given = env.scripted.openPicture->shownFilters;
        const auto built = lenzora::windows::openPictureFilters();
        QCOMPARE(given.size(), built.size());
        for (std::size_t i = 0; i < given.size(); ++i) QCOMPARE(shown(given[i]), shown(built[i]));
    }
};

QTEST_MAIN(PictureFormatsTest)
#include "picture_formats_test.moc"
