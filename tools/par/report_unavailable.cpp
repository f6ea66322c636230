// Builds without Cairo (Windows) print the figures but draw no report.
#include "tools/par/report.h"

bool writeReport(const std::string&, const std::vector<MachineFigures>&, bool, uint32_t, std::string& problem) {
    problem = "--report is not in this build (it draws with Cairo); --format json|csv gives the figures";
    return false;
}
