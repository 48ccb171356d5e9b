// The trace lines a test captured in process (TrcCaptureStart ...), one
// string per line without its newline.
#pragma once

#include <string>
#include <vector>

std::vector<std::string> CapturedTraceLines();
// The captured lines that contain the text.
std::vector<std::string> CapturedTraceLinesWith(const std::string &strText);
bool HasCapturedTraceLine(const std::string &strLine);
