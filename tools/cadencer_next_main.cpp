// cadencer-next: prints when a schedule falls due. See README.md for the arguments.
#include <ctime>
#include <iostream>
#include <string>

#include "cadencer_next_lib.h"
#include "engine/ole_date.h"

namespace {

cadencer::OleDate PresentTime(bool utc) {
    const std::time_t t = std::time(nullptr);
    std::tm local{};
    if (utc)
        gmtime_r(&t, &local);
    else
        localtime_r(&t, &local);
    const auto value = cadencer::Compose({local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                                          local.tm_min, local.tm_sec > 59 ? 59 : local.tm_sec});
    return value.value_or(cadencer::kZeroDate);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    const cadencer::OleDate present = PresentTime(false);
    const cadencer::OleDate presentUtc = PresentTime(true);
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        std::cout << "usage: cadencer-next [--now YYYY-MM-DDTHH:MM:SS] [--offset N] [--count N] [Key=Value ...]\n"
                     "       cadencer-next --describe [--lang TAG] [--now ...] [Key=Value ...]   (the schedule in\n"
                     "                     words, in English or in the language and formats of TAG: de-DE, ja...)\n"
                     "       cadencer-next --to ical|rrule|cron|task-xml [--command C --arguments A] [--now ...]\n"
                     "                     [Key=Value ...]   (the schedule in that form, or why it has none)\n"
                     "       cadencer-next --from rrule|cron TEXT [--now ...]   (the keys of that schedule)\n"
                     "       cadencer-next --batch   (one line of arguments per case on stdin)\n";
        return 0;
    }
    if (!args.empty() && args[0] == "--batch") {
        if (args.size() > 1) {
            std::cerr << "cadencer-next: --batch takes no other arguments (" << args[1] << ")\n";
            return 2;
        }
        std::string line;
        while (std::getline(std::cin, line)) {
            std::vector<std::string> caseArgs;
            if (!cadencer::next_tool::SplitLine(line, caseArgs)) {
                std::cout << "error: unterminated quote" << std::endl;
                continue;
            }
            const auto result = cadencer::next_tool::RunCase(caseArgs, present, presentUtc);
            std::cout << (result.ok ? "" : "error: ") << result.text << std::endl;
        }
        return 0;
    }
    const auto result = cadencer::next_tool::RunCase(args, present, presentUtc);
    if (!result.ok) {
        std::cerr << "cadencer-next: " << result.text << "\n";
        return 2;
    }
    std::cout << result.text << "\n";
    return 0;
}
