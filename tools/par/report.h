// The PAR report as a printable document, drawn with Cairo in the DejaVu fonts: a page comparing the
// machines, then a page per machine with its pay table, headline figures and charts.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/par/figures.h"

// Writes the report of the machines' figures to file, a PDF (every page) or SVG (one file a page:
// the summary in file, machine N in file with "-N" before ".svg"; a single machine alone in file).
// The summary page comes first when `summary` is set. The seed starts the simulated run drawn in
// each confidence funnel. On a problem, sets it (one line) and returns false.
bool writeReport(const std::string& file, const std::vector<MachineFigures>& all, bool summary, uint32_t seed,
                 std::string& problem);
