// Plain-English texts for the result codes the batch tool meets.
#pragma once

#include <string>

std::string imageFileMessage(int code);
std::string engineMessage(int code);
// "signal 7 (Bus error)".
std::string signalDescription(int signal);
