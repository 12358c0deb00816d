#include "machine/monitor/monitor_inf.h"

#include "machine/inf/inf_registry.h"
#include "machine/plain_text.h"

namespace brontar::machine::monitor {

namespace reg = registry;
using inf::InfLine;

MonitorInf MonitorInf::Parse(std::string_view bytes) {
    try {
        MonitorInf file(inf::InfFile::Parse(bytes));
        if (file.file_.Section("Manufacturer") == nullptr) throw MonitorImportError("no [Manufacturer] section");
        return file;
    } catch (const inf::InfError& error) {
        throw MonitorImportError(error.what());
    }
}

std::vector<InfModel> MonitorInf::Models() const {
    std::vector<InfModel> models;
    for (const InfLine& maker : *file_.Section("Manufacturer")) {
        if (maker.fields.empty() || maker.fields[0].empty()) continue;
        const std::string& base = maker.fields[0];
        const std::vector<InfLine>* section = file_.Section(base);
        for (size_t i = 1; i < maker.fields.size() && section == nullptr; ++i)
            if (EqualsIgnoreCase(maker.fields[i], "NTx86") || EqualsIgnoreCase(maker.fields[i], "NT"))
                section = file_.Section(base + "." + maker.fields[i]);
        for (size_t i = 1; i < maker.fields.size() && section == nullptr; ++i)
            section = file_.Section(base + "." + maker.fields[i]);
        if (section == nullptr) continue;
        for (const InfLine& line : *section)
            if (!line.key.empty() && !line.fields.empty())
                models.push_back({maker.key.empty() ? base : maker.key, line.key, line.fields[0],
                                  line.Field(1)});
    }
    return models;
}

void MonitorInf::ApplyRegistrySections(const std::vector<std::string>& names, bool deleting,
                                       reg::RegistryKey& root, int& skipped) const {
    for (const std::string& name : names) {
        if (name.empty()) continue;
        const std::vector<InfLine>* section = file_.Section(name);
        if (section == nullptr)
            throw MonitorImportError(std::string(deleting ? "DelReg" : "AddReg") + " section [" + name +
                                     "] is missing");
        for (const InfLine& line : *section) {
            if (!EqualsIgnoreCase(line.fields[0], "HKR")) {
                ++skipped;
                continue;
            }
            try {
                if (deleting)
                    inf::ApplyDelRegLine(line, root);
                else
                    inf::ApplyAddRegLine(line, root);
            } catch (const inf::InfError& error) {
                throw MonitorImportError(error.what());
            }
        }
    }
}

MonitorDescription MonitorInf::Install(const InfModel& model, std::string_view infName, int* skippedLines) const {
    std::string sectionName = model.installSection;
    for (const std::string_view platform : {".NTx86", ".NT"})
        if (file_.Section(model.installSection + std::string(platform)) != nullptr) {
            sectionName = model.installSection + std::string(platform);
            break;
        }
    const std::vector<InfLine>* install = file_.Section(sectionName);
    if (install == nullptr)
        throw MonitorImportError("the install section [" + model.installSection + "] of '" + model.description +
                                 "' is missing");

    const auto lists = inf::InfFile::DirectiveList;
    MonitorDescription monitor;
    monitor.name = model.description;
    monitor.manufacturer = model.manufacturer;
    monitor.hardwareId = model.hardwareId;
    int skipped = 0;
    ApplyRegistrySections(lists(*install, "DelReg"), true, monitor.classKey, skipped);
    ApplyRegistrySections(lists(*install, "AddReg"), false, monitor.classKey, skipped);
    if (const std::vector<InfLine>* hardware = file_.Section(sectionName + ".HW")) {
        ApplyRegistrySections(lists(*hardware, "DelReg"), true, monitor.deviceKey, skipped);
        ApplyRegistrySections(lists(*hardware, "AddReg"), false, monitor.deviceKey, skipped);
    }
    if (skippedLines != nullptr) *skippedLines = skipped;
    CheckClassData(monitor.classKey);

    monitor.classKey.SetValue("InfPath", reg::kTypeString, reg::StringBytes(infName));
    monitor.classKey.SetValue("InfSection", reg::kTypeString, reg::StringBytes(sectionName));
    if (const auto provider = file_.Value("Version", "Provider"))
        monitor.classKey.SetValue("ProviderName", reg::kTypeString, reg::StringBytes(*provider));
    return monitor;
}

}  // namespace brontar::machine::monitor
