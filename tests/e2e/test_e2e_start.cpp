// Start-up from the command line, the load-error box, and the ways out.
#include "e2e_fixture.h"

#include <vector>

namespace {

// The load-error box's texts, CP1251.
const std::string LOAD_ERROR_TEXT_START =
    "\xC2\xEE\xE7\xEC\xEE\xE6\xED\xEE \xF4\xE0\xE9\xEB \xE7\xE0\xE1\xEB\xEE\xEA\xE8\xF0\xEE\xE2"
    "\xE0\xED \xE8\xEB\xE8 \xF1\xE5\xF2\xE5\xE2\xEE\xE9 \xEF\xF3\xF2\xFC \xED\xE5\xE4\xEE\xF1\xF2"
    "\xF3\xEF\xE5\xED.\n\xCD\xE5 \xF3\xE4\xE0\xEB\xEE\xF1\xFC \xE7\xE0\xE3\xF0\xF3\xE7\xE8\xF2"
    "\xFC \xF4\xE0\xE9\xEB ";

std::string load_error_text(const std::string &path) {
    return LOAD_ERROR_TEXT_START + "\"" + path + "\".";
}

std::string loading_record(const std::string &path) {
    return "main.c: 580  loading \"" + path + "\" from command line.";
}

class Start : public Viewer {
  protected:
    void SetUp() override { folder_prepare(folder, {"rec_all.dll"}); }

    // Starts with a text that names no loadable file: the box comes before
    // the window, shows `shown_path`, and the window opens after it.
    void expect_load_error_before_window(const std::string &arguments,
                                         const std::string &shown_path) {
        ASSERT_TRUE(viewer_start(run, folder, arguments));
        HWND box = wait_dialog(run.process.dwProcessId);
        ASSERT_NE(box, nullptr) << "no load-error box for " << arguments;
        EXPECT_EQ(find_process_window(run.process.dwProcessId, "KorvelViewerClass"), nullptr)
            << "the box must come before the main window";
        MessageBoxContent content = read_message_box(box);
        EXPECT_EQ(content.caption, LOAD_ERROR_CAPTION);
        EXPECT_EQ(content.text, load_error_text(shown_path));
        EXPECT_EQ(content.icon, BoxIcon::error);
        EXPECT_EQ(content.buttons, 1);
        // Nothing has been sent to the plug-ins while the box is up.
        EXPECT_TRUE(plugin_calls(run).empty());
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(viewer_wait_window(run));
        viewer_place(run);
        ASSERT_TRUE(viewer_sync(run));
        EXPECT_EQ(indicator_text(picture()), indicator(0, 0));
    }
};

TEST_F(Start, QuotedPathWithBlankIsLoadedWithoutItsQuotes) {
    std::string path = folder.write("two words.txt", numbered_lines(57));
    ASSERT_TRUE(viewer_open(run, folder, "\"" + path + "\""));
    Picture shown = picture();
    EXPECT_EQ(indicator_text(shown), indicator(0, 57));
    EXPECT_EQ(row_text(shown, 0, 0, 20), "Line 0");
    EXPECT_EQ(row_text(shown, 3, 0, 20), "Line 3");
    EXPECT_TRUE(rule_drawn(shown));
    exit_by_menu();
    EXPECT_EQ(count_of(log_messages(run.folder), loading_record(path)), 1);
    EXPECT_EQ(plugin_calls(run), (std::vector<std::string>{
                                     "Load window=0 path=" + path + " value=0",
                                     "Create window=1 path=" + path + " value=0",
                                     "Destroy window=1 path=" + path + " value=0",
                                 }));
}

TEST_F(Start, UnquotedTextOfSeveralWordsIsOnePath) {
    std::string path = folder.write("a  b c.txt", numbered_lines(3));
    ASSERT_TRUE(viewer_open(run, folder, path));
    EXPECT_EQ(indicator_text(picture()), indicator(0, 3));
    exit_by_menu();
    EXPECT_EQ(plugin_calls(run).front(), "Load window=0 path=" + path + " value=0");
}

TEST_F(Start, QuotedPathFollowedByBlankKeepsItsQuotesAndFails) {
    std::string path = folder.write("doc.txt", numbered_lines(3));
    std::string text = "\"" + path + "\" ";
    expect_load_error_before_window(text, text);
    exit_by_menu();
    EXPECT_EQ(plugin_calls(run).front(), "Load window=0 path=" + text + " value=0");
}

TEST_F(Start, TwoQuotesOnlyGiveAnEmptyPathAndStillSendLoad) {
    expect_load_error_before_window("\"\"", "");
    exit_by_menu();
    EXPECT_EQ(count_of(log_messages(run.folder), loading_record("")), 1);
    EXPECT_EQ(plugin_calls(run), (std::vector<std::string>{
                                     "Load window=0 path= value=0",
                                     "Create window=1 path= value=0",
                                     "Destroy window=1 path= value=0",
                                 }));
}

TEST_F(Start, OneQuoteIsTakenAsThePath) {
    expect_load_error_before_window("\"", "\"");
    exit_by_menu();
    EXPECT_EQ(plugin_calls(run).front(), "Load window=0 path=\" value=0");
}

TEST_F(Start, MissingFileShowsTheBoxThenAnEmptyWindow) {
    std::string path = folder.file("missing.krv");
    expect_load_error_before_window(path, path);
    exit_by_menu();
}

TEST_F(Start, TextLongerThanAPathIsRefusedNotOpened) {
    // The text's first 259 bytes name a real file: a viewer that cut the
    // text instead of refusing it would open that file.
    std::string directory = folder.file("");
    std::string cut = directory + std::string(259 - directory.size(), 'x');
    folder.write(cut.substr(directory.size()), numbered_lines(7));
    std::string long_text = cut + "yyy";
    expect_load_error_before_window(long_text, cut);
    exit_by_menu();
    auto calls = plugin_calls(run);
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.front(), "Load window=0 path= value=0");
}

TEST_F(Start, NoArgumentsMeansNoLoadAndCreateFirst) {
    ASSERT_TRUE(viewer_open(run, folder, ""));
    EXPECT_EQ(wait_dialog(run.process.dwProcessId, 0, 200), nullptr);
    Picture shown = picture();
    EXPECT_EQ(indicator_text(shown), indicator(0, 0));
    EXPECT_EQ(row_text(shown, 0, 0, 72), "");
    EXPECT_TRUE(rule_drawn(shown));
    exit_by_menu();
    auto log = log_messages(run.folder);
    for (const auto &message : log)
        EXPECT_EQ(message.find("from command line"), std::string::npos) << message;
    EXPECT_EQ(plugin_calls(run), (std::vector<std::string>{
                                     "Create window=1 path= value=0",
                                     "Destroy window=1 path= value=0",
                                 }));
}

TEST_F(Viewer, AWindowThatCannotBeMadeEndsTheProgramWithoutALoop) {
    folder_prepare(folder, {"rec_all.dll", "no_window.dll"});
    std::string path = folder.write("doc.txt", numbered_lines(3));
    ASSERT_TRUE(viewer_start(run, folder, path));
    EXPECT_EQ(viewer_wait_exit(run), 1);
    // The document was loaded before the window; nothing after it happened.
    EXPECT_EQ(plugin_calls(run),
              std::vector<std::string>{"Load window=0 path=" + path + " value=0"});
}

TEST_F(Start, PluginsAreFoundAndEveryCommandIsLogged) {
    std::filesystem::copy_file(std::string(KORVEL_E2E_PLUGINS "/not_a_library.dll"),
                               folder.path / "Plugins" / "not_a_library.dll");
    std::string path = folder.write("doc.txt", numbered_lines(5));
    ASSERT_TRUE(viewer_open(run, folder, path));
    exit_by_menu();
    auto log = log_messages(run.folder);
    std::string plugins = run.folder + "\\Plugins\\";
    EXPECT_EQ(count_of(log, "plugins.c: 40  find plugin at \"" + plugins + "*.dll\"."), 1);
    EXPECT_EQ(count_of(log, "plugins.c: 52  loading library \"" + plugins + "rec_all.dll\"."), 1);
    EXPECT_EQ(count_of(log, "plugins.c: 52  loading library \"" + plugins + "not_a_library.dll\"."),
              1);
    // The marker key of the driver went to KeyPress; its answer is logged.
    EXPECT_GE(
        count_of(log, "plugins.c: 112  return value 0 from " + plugins + "rec_all.dll plugin."), 1);
    std::vector<std::string> sent;
    for (const auto &message : log)
        if (message.rfind("plugins.c: 88  ", 0) == 0 && message.find(" 40.") == std::string::npos)
            sent.push_back(message);
    EXPECT_EQ(sent, (std::vector<std::string>{
                        "plugins.c: 88  sending to all plugins command 11.",
                        "plugins.c: 88  sending to all plugins command 1.",
                        "plugins.c: 88  sending to all plugins command 2.",
                    }));
}

// ---- The ways out: Destroy once, exit code 0 ----

class Stop : public Start {
  protected:
    std::vector<std::string> destroys() { return plugin_calls_of(run, "Destroy"); }
};

TEST_F(Stop, EveryWayOutEndsWithDestroyOnceAndExitCodeZero) {
    struct Posted {
        UINT message;
        WPARAM wparam;
    };
    struct WayOut {
        const char *name;
        std::vector<Posted> posted;
    };
    const WayOut ways[] = {
        {"close box", {{WM_SYSCOMMAND, SC_CLOSE}}},
        {"Exit twice", {{WM_COMMAND, IDM_EXIT}, {WM_COMMAND, IDM_EXIT}}},
        {"Exit then close", {{WM_COMMAND, IDM_EXIT}, {WM_CLOSE, 0}}},
        // What File > Exit posts, handled while the window lives on; the
        // close that follows reaches the window before the quit message
        // ends the loop.
        {"Exit's destroy then close", {{WM_DESTROY, 0}, {WM_CLOSE, 0}}},
    };
    for (const WayOut &way : ways) {
        SCOPED_TRACE(way.name);
        std::filesystem::remove(folder.path / "Plugins" / "rec_all.calls");
        ASSERT_TRUE(viewer_open(run, folder, ""));
        for (const Posted &posted : way.posted)
            PostMessageA(run.window, posted.message, posted.wparam, 0);
        EXPECT_EQ(viewer_wait_exit(run), 0);
        EXPECT_EQ(destroys().size(), 1u);
        viewer_close_handles(run);
    }
}

TEST_F(Stop, CopyAndHelpDoNothing) {
    std::string path = folder.write("doc.txt", numbered_lines(30));
    ASSERT_TRUE(viewer_open(run, folder, path));
    Picture before = picture();
    PostMessageA(run.window, WM_COMMAND, IDM_COPY, 0);
    PostMessageA(run.window, WM_COMMAND, IDM_HELP, 0);
    ASSERT_TRUE(viewer_sync(run));
    EXPECT_TRUE(viewer_running(run));
    EXPECT_EQ(picture().pixels, before.pixels);
    EXPECT_EQ(wait_dialog(run.process.dwProcessId, 0, 200), nullptr);
    exit_by_menu();
}

} // namespace
