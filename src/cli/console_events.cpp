#include "cli/console_events.h"

#include "files/input_messages.h"

#include <cstdio>
#include <iostream>

namespace morvelan::cli {

void ConsoleRunEvents::inputChosen(const InputAccount& account)
{
    std::fflush(stdout);
    if (account.format == InputFormat::Tdm) {
        if (account.lfAssumed) std::cerr << kMsgLfAssumed << '\n';
        return;
    }
    std::cerr << messageFormatChosen(account, order_) << '\n';
}

} // namespace morvelan::cli
