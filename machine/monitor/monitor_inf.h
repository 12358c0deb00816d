// Monitor INF files as Windows 95 setup reads them: [Manufacturer] and model
// sections, install sections with AddReg and DelReg lists for the monitor's
// class key (HKR). The file itself is read by the general INF reader.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "machine/inf/inf_file.h"
#include "machine/monitor/monitor_description.h"

namespace brontar::machine::monitor {

struct InfModel {
    std::string manufacturer;
    std::string description;     // the model's name, strings substituted
    std::string installSection;  // as the model line names it
    std::string hardwareId;      // "Monitor\NEC3D00"; empty when the line names none
};

class MonitorInf {
public:
    // Throws MonitorImportError for text that is not an INF (binary, an
    // unterminated section name, no [Manufacturer] section).
    static MonitorInf Parse(std::string_view text);

    // Every model of every manufacturer, in file order. A manufacturer whose
    // model section exists only with platform suffixes (NTx86, NTamd64) is
    // read from the x86 one, else the first listed.
    std::vector<InfModel> Models() const;

    // What installing the model writes: its install section's DelReg and then
    // AddReg sections applied to the class key (HKR), the ".HW" section's to
    // the device key; lines for other roots are left out and counted in
    // skippedLines. Throws MonitorImportError when a section is missing, a
    // line is malformed or the modes are not sound (CheckClassData).
    MonitorDescription Install(const InfModel& model, std::string_view infName, int* skippedLines = nullptr) const;

private:
    explicit MonitorInf(inf::InfFile file) : file_(std::move(file)) {}
    void ApplyRegistrySections(const std::vector<std::string>& sections, bool deleting, registry::RegistryKey& root,
                               int& skipped) const;

    inf::InfFile file_;
};

}  // namespace brontar::machine::monitor
