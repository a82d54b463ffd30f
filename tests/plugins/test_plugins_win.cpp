// The plug-in host under Wine: the driver loads test plug-ins from a Plugins
// folder beside it and dispatches commands; the debug log, the answers and
// the plug-ins' own records of their calls are checked.
#include "plugin_test_rig.h"
#include "plugins/plugin_commands.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>

namespace {

// Compiled as the kit's user sees it; the codes must be the host's.
#include "../../sdk/korvel_plugin.h"
static_assert(KORVEL_PLUGIN_CMD_CREATE == PLUGIN_CMD_CREATE &&
              KORVEL_PLUGIN_CMD_DESTROY == PLUGIN_CMD_DESTROY &&
              KORVEL_PLUGIN_CMD_LOAD == PLUGIN_CMD_LOAD &&
              KORVEL_PLUGIN_CMD_SAVE == PLUGIN_CMD_SAVE &&
              KORVEL_PLUGIN_CMD_OPEN == PLUGIN_CMD_OPEN &&
              KORVEL_PLUGIN_CMD_KEYPRESS == PLUGIN_CMD_KEYPRESS &&
              KORVEL_PLUGIN_CMD_SYSKEYPRESS == PLUGIN_CMD_SYSKEYPRESS);

std::string find_record(const std::string &pattern) {
    return "plugins.c: 40  find plugin at \"" + pattern + "\".";
}
std::string loading_record(const std::string &library) {
    return "plugins.c: 52  loading library \"" + library + "\".";
}
std::string sending_record(const std::string &hex) {
    return "plugins.c: 88  sending to all plugins command " + hex + ".";
}
std::string answer_record(int line, int answer, const std::string &module) {
    return "plugins.c: " + std::to_string(line) + "  return value " + std::to_string(answer) +
           " from " + module + " plugin.";
}

// File names of the libraries in the order the host loaded them, read from
// its "loading library" records (the platform's directory order).
std::vector<std::string> load_order(const PluginHost &host, const std::vector<std::string> &log) {
    std::vector<std::string> order;
    std::string head = loading_record(host.plugins() + "\\");
    head.resize(head.size() - 2); // without the closing quote and stop
    for (const std::string &message : log) {
        if (message.rfind(head, 0) == 0)
            order.push_back(message.substr(head.size(), message.size() - head.size() - 2));
    }
    return order;
}

// The log's loading part for `order`: the find record and one loading record each.
std::vector<std::string> loading_part(const PluginHost &host,
                                      const std::vector<std::string> &order) {
    std::vector<std::string> records{find_record(host.plugins() + "\\*.dll")};
    for (const std::string &name : order)
        records.push_back(loading_record(host.in_plugins(name)));
    return records;
}

void append(std::vector<std::string> &to, const std::vector<std::string> &more) {
    to.insert(to.end(), more.begin(), more.end());
}

TEST(PluginHost, WithoutPluginsEveryDispatchOnlyLogsAndAnswersMinusOne) {
    PluginHost host;
    for (bool with_empty_folder : {false, true}) {
        if (with_empty_folder)
            std::filesystem::create_directory(host.plugins());
        HostRun run = host.run("11:0 1:0 40:65 50:115 21:0 2:0 12:0");
        ASSERT_EQ(run.exit_code, 0u);
        EXPECT_EQ(host.messages(run),
                  (std::vector<std::string>{
                      find_record(host.plugins() + "\\*.dll"), sending_record("11"),
                      sending_record("1"), sending_record("40"), sending_record("50"),
                      sending_record("21"), sending_record("2"), sending_record("12")}));
        EXPECT_EQ(host.output(),
                  (std::vector<std::string>{"load_all -1", "send 11 0 -1", "send 1 0 -1",
                                            "send 40 65 -1", "send 50 115 -1", "send 21 0 -1",
                                            "send 2 0 -1", "send 12 0 -1", "end"}));
    }
}

// Every export of a full plug-in and a partial one, next to a text file and
// a directory that match the pattern but are no libraries.
TEST(PluginHost, EachCommandReachesItsExportWithWindowPathAndValue) {
    PluginHost host;
    host.add("rec_all.dll");
    host.add("rec_some.dll");
    host.add("not_a_library.dll");
    std::filesystem::create_directory(host.in_plugins("folder.dll"));
    host.answers("rec_all.dll", "Create=3\nDestroy=4\nLoad=9\nSave=-12\nKeyPress=-7\n"
                                "SysKeyPress=1\n");
    host.answers("rec_some.dll", "Load=-5\nCreate=2\n");

    HostRun run = host.run("path=C:\\docs\\a.krv 11:0 window 1:0 40:65 50:115 12:3 21:0 99:0 "
                           "0:0 41:1 2:-1");
    ASSERT_EQ(run.exit_code, 0u);
    std::vector<std::string> log = host.messages(run);
    std::vector<std::string> order = load_order(host, log);
    std::vector<std::string> sorted = order;
    std::sort(sorted.begin(), sorted.end());
    ASSERT_EQ(sorted, (std::vector<std::string>{"folder.dll", "not_a_library.dll", "rec_all.dll",
                                                "rec_some.dll"}));

    std::vector<std::string> expected = loading_part(host, order);
    append(expected, {sending_record("11"), sending_record("1"), sending_record("40"),
                      answer_record(112, -7, host.in_plugins("rec_all.dll")), sending_record("50"),
                      answer_record(123, 1, host.in_plugins("rec_all.dll")), sending_record("12"),
                      sending_record("21"), sending_record("99"), sending_record("0"),
                      sending_record("41"), sending_record("2")});
    EXPECT_EQ(log, expected);

    // Load and Create: both plug-ins have them, the later one in load order answers.
    bool some_last = std::find(order.begin(), order.end(), "rec_some.dll") >
                     std::find(order.begin(), order.end(), "rec_all.dll");
    std::string load_answer = some_last ? "-5" : "9";
    std::string create_answer = some_last ? "2" : "3";
    EXPECT_EQ(host.output(),
              (std::vector<std::string>{
                  "load_all 0", "send 11 0 " + load_answer, "send 1 0 " + create_answer,
                  "send 40 65 -7", "send 50 115 1", "send 12 3 -12", "send 21 0 -1", "send 99 0 -1",
                  "send 0 0 -1", "send 41 1 -1", "send 2 -1 4", "end"}));
    EXPECT_EQ(host.calls("rec_all.dll"),
              (std::vector<std::string>{"Load window=0 path=C:\\docs\\a.krv value=0",
                                        "Create window=1 path=C:\\docs\\a.krv value=0",
                                        "KeyPress window=1 path=C:\\docs\\a.krv value=65",
                                        "SysKeyPress window=1 path=C:\\docs\\a.krv value=115",
                                        "Save window=1 path=C:\\docs\\a.krv value=3",
                                        "Destroy window=1 path=C:\\docs\\a.krv value=-1"}));
    EXPECT_EQ(host.calls("rec_some.dll"),
              (std::vector<std::string>{"Load window=0 path=C:\\docs\\a.krv value=0",
                                        "Create window=1 path=C:\\docs\\a.krv value=0"}));
}

TEST(PluginHost, KeyPressLogsEachPluginsAnswerInLoadOrder) {
    PluginHost host;
    host.add("rec_keys.dll", "keys_one.dll");
    host.add("rec_some.dll");
    host.add("rec_keys.dll", "keys_two.dll");
    host.answers("keys_one.dll", "KeyPress=41\n");
    host.answers("keys_two.dll", "KeyPress=-42\n");
    HostRun run = host.run("40:37 40:39");
    ASSERT_EQ(run.exit_code, 0u);
    std::vector<std::string> log = host.messages(run);
    std::vector<std::string> order = load_order(host, log);
    ASSERT_EQ(order.size(), 3u);

    std::map<std::string, int> answer_of{{"keys_one.dll", 41}, {"keys_two.dll", -42}};
    std::vector<std::string> expected = loading_part(host, order);
    std::string last_answer;
    for (int key = 0; key < 2; ++key) {
        expected.push_back(sending_record("40"));
        for (const std::string &name : order) {
            if (answer_of.count(name)) {
                expected.push_back(answer_record(112, answer_of[name], host.in_plugins(name)));
                last_answer = std::to_string(answer_of[name]);
            }
        }
    }
    EXPECT_EQ(log, expected);
    EXPECT_EQ(host.output(), (std::vector<std::string>{"load_all 0", "send 40 37 " + last_answer,
                                                       "send 40 39 " + last_answer, "end"}));
    for (const char *name : {"keys_one.dll", "keys_two.dll"})
        EXPECT_EQ(host.calls(name), (std::vector<std::string>{"KeyPress window=0 path= value=37",
                                                              "KeyPress window=0 path= value=39"}));
}

// Two plug-ins with SysKeyPress, one claiming the key and one leaving it,
// in both load orders, next to one without the export: the last one with
// the export decides. The file names are chosen so that the directory
// search yields them in swapped order the second time (checked in the log).
TEST(PluginHost, SysKeyPressAnswerIsTheLastPluginsInBothOrders) {
    std::vector<size_t> claims_at;
    for (auto [claims, leaves] :
         {std::pair{"a_claims.dll", "b_leaves.dll"}, std::pair{"c_claims.dll", "b_leaves.dll"}}) {
        PluginHost host;
        host.add("rec_keys.dll", claims);
        host.add("rec_keys.dll", leaves);
        host.add("rec_some.dll");
        host.answers(claims, "SysKeyPress=1\n");
        host.answers(leaves, "SysKeyPress=0\n");
        HostRun run = host.run("50:115");
        ASSERT_EQ(run.exit_code, 0u);
        std::vector<std::string> log = host.messages(run);
        std::vector<std::string> order = load_order(host, log);
        ASSERT_EQ(order.size(), 3u);
        std::vector<std::string> expected = loading_part(host, order);
        expected.push_back(sending_record("50"));
        std::vector<std::string> with_export;
        for (const std::string &name : order) {
            if (name == "rec_some.dll")
                continue;
            with_export.push_back(name);
            expected.push_back(answer_record(123, name == claims, host.in_plugins(name)));
        }
        EXPECT_EQ(log, expected);
        std::string answer = with_export.back() == claims ? "1" : "0";
        EXPECT_EQ(host.output()[1], "send 50 115 " + answer);
        claims_at.push_back(std::find(with_export.begin(), with_export.end(), claims) -
                            with_export.begin());
    }
    EXPECT_NE(claims_at[0], claims_at[1]) << "the two runs did not swap the load order";

    // A plug-in with the export followed by none: its answer stands.
    PluginHost single;
    single.add("rec_keys.dll");
    single.add("rec_some.dll");
    single.answers("rec_keys.dll", "SysKeyPress=5\n");
    ASSERT_EQ(single.run("50:115").exit_code, 0u);
    EXPECT_EQ(single.output()[1], "send 50 115 5");
}

// Exports built callee-cleans remove their own arguments; the host survives
// many such calls, keeps its answers and still reaches the other plug-ins.
TEST(PluginHost, CalleeCleansExportsDoNotCorruptTheHost) {
    PluginHost host;
    host.add("stdcall_keys.dll");
    host.add("rec_keys.dll");
    host.answers("stdcall_keys.dll", "KeyPress=11\nSysKeyPress=12\n");
    host.answers("rec_keys.dll", "KeyPress=21\nSysKeyPress=22\n");
    constexpr int TIMES = 300;
    HostRun run = host.run("path=doc.krv 40:65:300 window 50:115:300");
    ASSERT_EQ(run.exit_code, 0u);
    std::vector<std::string> order = load_order(host, host.messages(run));
    ASSERT_EQ(order.size(), 2u);
    bool stdcall_last = order[1] == "stdcall_keys.dll";

    std::vector<std::string> expected{"load_all 0"};
    for (int i = 0; i < TIMES; ++i)
        expected.push_back(stdcall_last ? "send 40 65 11" : "send 40 65 21");
    for (int i = 0; i < TIMES; ++i)
        expected.push_back(stdcall_last ? "send 50 115 12" : "send 50 115 22");
    expected.push_back("end");
    EXPECT_EQ(host.output(), expected);

    for (const char *name : {"stdcall_keys.dll", "rec_keys.dll"}) {
        std::vector<std::string> calls = host.calls(name);
        ASSERT_EQ(calls.size(), 2u * TIMES) << name;
        EXPECT_EQ(calls.front(), "KeyPress window=0 path=doc.krv value=65");
        EXPECT_EQ(calls.back(), "SysKeyPress window=1 path=doc.krv value=115");
    }
}

// nested.dll sends the window a key from inside KeyPress('N'); the window's
// handler dispatches KeyPress('M') before the outer walk goes on.
TEST(PluginHost, NestedDispatchLeavesTheOuterWalkIntact) {
    PluginHost host;
    // a_keys sorts before nested in the directory search, the others after.
    host.add("rec_keys.dll", "a_keys.dll");
    host.add("rec_keys.dll");
    host.add("nested.dll");
    host.add("rec_all.dll");
    std::map<std::string, int> answer_of{
        {"a_keys.dll", 34}, {"rec_keys.dll", 32}, {"nested.dll", 31}, {"rec_all.dll", 33}};
    for (const auto &[name, answer] : answer_of)
        host.answers(name, "KeyPress=" + std::to_string(answer) + "\n");

    HostRun run = host.run("window 40:78 40:65");
    ASSERT_EQ(run.exit_code, 0u);
    std::vector<std::string> log = host.messages(run);
    std::vector<std::string> order = load_order(host, log);
    ASSERT_EQ(order.size(), 4u);
    size_t nested_at = std::find(order.begin(), order.end(), "nested.dll") - order.begin();
    // Plug-ins on both sides of the nested one: the outer walk is checked before and after.
    EXPECT_TRUE(nested_at > 0 && nested_at < 3) << nested_at;
    auto answer_line = [&](const std::string &name) {
        return answer_record(112, answer_of[name], host.in_plugins(name));
    };

    std::vector<std::string> expected = loading_part(host, order);
    expected.push_back(sending_record("40"));
    for (size_t i = 0; i < nested_at; ++i)
        expected.push_back(answer_line(order[i]));
    expected.push_back(sending_record("40")); // the inner dispatch, whole
    for (const std::string &name : order)
        expected.push_back(answer_line(name));
    for (size_t i = nested_at; i < order.size(); ++i) // the outer one goes on
        expected.push_back(answer_line(order[i]));
    expected.push_back(sending_record("40"));
    for (const std::string &name : order)
        expected.push_back(answer_line(name));
    EXPECT_EQ(log, expected);

    std::string last = std::to_string(answer_of[order.back()]);
    EXPECT_EQ(host.output(),
              (std::vector<std::string>{"load_all 0", "inner 40 77 " + last, "send 40 78 " + last,
                                        "send 40 65 " + last, "end"}));
    for (size_t i = 0; i < order.size(); ++i) {
        std::string outer = "KeyPress window=1 path= value=78";
        std::string inner = "KeyPress window=1 path= value=77";
        std::vector<std::string> first_two = i < nested_at ? std::vector<std::string>{outer, inner}
                                                           : std::vector<std::string>{inner, outer};
        first_two.push_back("KeyPress window=1 path= value=65");
        EXPECT_EQ(host.calls(order[i]), first_two) << order[i];
    }
}

// The kit's sample claims Alt+F4 and nothing else, and keeps its journal.
TEST(PluginHost, SamplePluginClaimsAltF4Only) {
    PluginHost host;
    host.add("keep_open.dll");
    HostRun run = host.run("path=C:\\docs\\b.krv 11:0 window 1:0 40:65 50:115 50:88 21:0 2:0");
    ASSERT_EQ(run.exit_code, 0u);
    EXPECT_EQ(host.output(),
              (std::vector<std::string>{"load_all 0", "send 11 0 0", "send 1 0 0", "send 40 65 0",
                                        "send 50 115 1", "send 50 88 0", "send 21 0 -1",
                                        "send 2 0 0", "end"}));
    EXPECT_EQ(split_lines(read_file(host.in_plugins("keep_open.log"))),
              (std::vector<std::string>{"Load at start-up path=C:\\docs\\b.krv value=0",
                                        "Create path=C:\\docs\\b.krv value=0",
                                        "KeyPress path=C:\\docs\\b.krv value=65",
                                        "SysKeyPress claimed path=C:\\docs\\b.krv value=115",
                                        "SysKeyPress path=C:\\docs\\b.krv value=88",
                                        "Destroy path=C:\\docs\\b.krv value=0"}));
}

TEST(PluginHost, KitHeaderServesCppPlugins) {
    PluginHost host;
    host.add("cpp_keys.dll");
    ASSERT_EQ(host.run("40:65 path=x 40:66").exit_code, 0u);
    EXPECT_EQ(host.output(),
              (std::vector<std::string>{"load_all 0", "send 40 65 1065", "send 40 66 -66", "end"}));
}

// A library path longer than 255 characters (but within what the system
// loads): the host neither overruns nor cuts it, so the file found is the
// file loaded. The decoy is named like the path cut at 255 characters; a
// host that cut the path would load the decoy a second time instead.
TEST(PluginHost, LongLibraryPathLoadsTheFileFoundAndNoOther) {
    PluginHost host;
    host.add("rec_keys.dll");
    size_t prefix = host.plugins().size() + 1;
    constexpr size_t LIBRARY_PATH = 258;
    ASSERT_LT(prefix + 5, LIBRARY_PATH);
    std::string long_name = std::string(LIBRARY_PATH - prefix - 4, 'k') + ".dll";
    std::string decoy = long_name.substr(0, 255 - prefix) + ".dll";
    host.add("rec_keys.dll", long_name);
    host.add("rec_keys.dll", decoy);
    ASSERT_EQ(host.in_plugins(long_name).size(), LIBRARY_PATH);

    HostRun run = host.run("40:65");
    ASSERT_EQ(run.exit_code, 0u);
    std::vector<std::string> log = host.messages(run);
    std::vector<std::string> order = load_order(host, log);
    ASSERT_EQ(order.size(), 3u);
    std::vector<std::string> expected = loading_part(host, order);
    expected.push_back(sending_record("40"));
    for (const std::string &name : order)
        expected.push_back(answer_record(112, 0, host.in_plugins(name)));
    EXPECT_EQ(log, expected);
    EXPECT_EQ(host.calls("rec_keys.dll"),
              (std::vector<std::string>{"KeyPress window=0 path= value=65"}));
}

// The executable in a directory so deep that the search pattern has 257
// characters and the library path as many: both are used whole.
TEST(PluginHost, LongExecutableDirectoryIsUsedWhole) {
    PluginHost probe;
    size_t base = probe.root.size() + 1;
    constexpr size_t DIRECTORY = 243;
    ASSERT_LT(base + 10, DIRECTORY);
    std::string deep = std::string(100, 'd') + "\\" + std::string(DIRECTORY - base - 101, 'e');
    PluginHost host(deep, "d.exe");
    ASSERT_EQ(host.root.size(), DIRECTORY);
    host.add("rec_keys.dll", "a.dll");

    HostRun run = host.run("40:65");
    ASSERT_EQ(run.exit_code, 0u);
    std::string pattern = host.plugins() + "\\*.dll";
    ASSERT_EQ(pattern.size(), 257u);
    EXPECT_EQ(host.messages(run),
              (std::vector<std::string>{
                  find_record(pattern), loading_record(host.in_plugins("a.dll")),
                  sending_record("40"), answer_record(112, 0, host.in_plugins("a.dll"))}));
    EXPECT_EQ(host.output(), (std::vector<std::string>{"load_all 0", "send 40 65 0", "end"}));
    EXPECT_EQ(host.calls("a.dll"), (std::vector<std::string>{"KeyPress window=0 path= value=65"}));
}

// Destroy dispatched from inside a KeyPress walk (a plug-in closed the
// window): the walk stops before its next plug-in, and no later command
// reaches any export; their dispatches are still logged.
TEST(PluginHost, NoExportIsCalledAfterDestroy) {
    PluginHost host;
    host.add("closer.dll");
    host.add("closer.dll", "b_closer.dll");
    host.add("rec_all.dll");
    HostRun run = host.run("window 40:81 11:0 40:65 2:0");
    ASSERT_EQ(run.exit_code, 0u);
    std::vector<std::string> log = host.messages(run);
    std::vector<std::string> order = load_order(host, log);
    ASSERT_EQ(order.size(), 3u);
    // The first closer in load order closes; every plug-in after it misses the key.
    size_t closing = order[0] == "rec_all.dll" ? 1 : 0;
    for (size_t i = 0; i < order.size(); ++i) {
        std::vector<std::string> expected;
        if (i <= closing)
            expected.push_back("KeyPress window=1 path= value=81");
        expected.push_back("Destroy window=1 path= value=0");
        EXPECT_EQ(host.calls(order[i]), expected) << order[i];
    }
    EXPECT_EQ(host.output(),
              (std::vector<std::string>{"load_all 0", "inner 2 0 0", "send 40 81 0", "send 11 0 -1",
                                        "send 40 65 -1", "send 2 0 -1", "end"}));
    std::vector<std::string> sent;
    for (const std::string &message : log)
        if (message.rfind("plugins.c: 88  ", 0) == 0)
            sent.push_back(message);
    EXPECT_EQ(sent, (std::vector<std::string>{sending_record("40"), sending_record("2"),
                                              sending_record("11"), sending_record("40"),
                                              sending_record("2")}));
}

} // namespace
