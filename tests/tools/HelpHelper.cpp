// HelpHelper: opens a help topic with a copy of the library in a folder of the test's choosing.
//
// HelpHelper.exe --log FILE TOPIC
// Run from a folder that holds it and a copy of the library (and whatever help file the test
// put there), so that the library looks for its help file beside itself in that folder.
// Message boxes are answered with OK. Log lines, in this order:
//   library=<path of the library in use>
//   result=<0|1> boxes=<n> icon=<none|stop|other> hhctrl=<0|1>   hhctrl: the control is loaded
//   text=<the last box's text, line breaks as \n>
#include <windows.h>

#include <string>

#include "product/Help.h"
#include "tests/support/BoxAnswerer.h"
#include "tests/support/TestSupport.h"
#include "tests/tools/HelperLog.h"

int wmain(int argc, wchar_t** argv)
{
    const wchar_t* topic = L"";
    for (int i = 1; i < argc; ++i) {
        if (std::wstring(argv[i]) == L"--log" && i + 1 < argc)
            logPath = argv[++i];
        else
            topic = argv[i];
    }
    if (logPath.empty())
        return 2;

    wchar_t library[MAX_PATH] = L"";
    GetModuleFileNameW(test::Library(), library, MAX_PATH);
    Log("library=" + test::ToUtf8(library));

    test::BoxAnswerer boxes(IDOK);
    BOOL result = CSHtmlHelp(nullptr, topic, 0, 0);
    const char* icon = !boxes.icon ? "none" : boxes.icon == LoadIconW(nullptr, IDI_HAND) ? "stop" : "other";
    Log("result=" + std::to_string(result) + " boxes=" + std::to_string(boxes.count) + " icon=" + icon +
        " hhctrl=" + (GetModuleHandleW(L"hhctrl.ocx") ? "1" : "0"));
    std::string text = test::ToUtf8(boxes.text);
    for (size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 2))
        text.replace(at, 1, "\\n");
    Log("text=" + text);
    return 0;
}
