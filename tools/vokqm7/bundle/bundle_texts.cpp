#include "bundle/bundle_texts.h"

#include <cstdio>
#include <vector>

#include "bundle/host_facts.h"
#include "bundle/sha256.h"
#include "driver/install_location.h"
#include "library.h"
#include "output.h"
#include "platform/program.h"
#include "platform/registry.h"

namespace vok::tool {
namespace {

std::string Lines(const Facts& facts, const std::string& indent = "") {
  std::string text;
  for (const auto& [name, value] : facts) text += indent + name + ": " + value + "\n";
  return text;
}

// From the file's own header: PE's machine field, ELF's class byte.
std::string Bitness(const std::string& bytes) {
  const auto u16 = [&](std::size_t at) {
    return static_cast<unsigned>(static_cast<unsigned char>(bytes[at])) |
           static_cast<unsigned>(static_cast<unsigned char>(bytes[at + 1])) << 8;
  };
  if (bytes.size() > 0x40 && bytes.compare(0, 2, "MZ") == 0) {
    const std::size_t pe = u16(0x3C) | static_cast<std::size_t>(u16(0x3E)) << 16;
    if (pe + 6 <= bytes.size() && bytes.compare(pe, 4, std::string("PE\0\0", 4)) == 0) {
      const unsigned machine = u16(pe + 4);
      if (machine == 0x014C) return "32-bit (PE32, i386)";
      if (machine == 0x8664) return "64-bit (PE32+, x86-64)";
      return "PE, machine " + std::to_string(machine);
    }
  }
  if (bytes.size() > 4 && bytes.compare(0, 4,
                                        "\x7F"
                                        "ELF") == 0) {
    return bytes[4] == 1   ? "32-bit (ELF32)"
           : bytes[4] == 2 ? "64-bit (ELF64)"
                           : "ELF, class unknown";
  }
  return "unknown (not a PE or ELF file)";
}

std::string SettingText(const std::optional<std::string>& value) {
  return value ? *value : "not set";
}

}  // namespace

std::string VersionsText() {
  std::string text =
      "tool: vokqm7 " VOKQM7_BUILD_VERSION ", " + std::to_string(sizeof(void*) * 8) + "-bit\n";
  std::string error;
  const std::optional<LoadedLibrary> library = LoadVokLibrary(error);
  if (!library) {
    text += "library: not loaded: " + error + "\n";
  } else {
    text += "library: " + library->location + "\n";
    text += "library file version: " + library->file_version + "\n";
    text += "library interface version: " + std::to_string(library->functions.get_version()) + "\n";
    const std::optional<std::string> file = ReadFileBytes(library->location);
    text +=
        "library bitness: " + (file ? Bitness(*file) : "unknown (the file cannot be read)") + "\n";
    const std::string digest = file ? Sha256Hex(*file) : "";
    text += "library SHA-256: " +
            (!file            ? std::string("unknown (the file cannot be read)")
             : digest.empty() ? std::string("unknown (the system cannot compute it)")
                              : digest) +
            "\n";
  }
  return text + Lines(HostFacts());
}

std::string RegistryText(const std::optional<trace::Setting>& setting) {
  std::string text =
      std::string("HKEY_LOCAL_MACHINE\\") + kInstallRegistrySubkey + kInstallRegistryValue + "\n";
  text += Lines(MachineValueByView(kInstallRegistrySubkey, kInstallRegistryValue), "  ");
  text += "\nthe trace switch:\n";
  text += std::string("  environment variable ") + trace::kVariable + ": " +
          SettingText(platform::EnvironmentValue(trace::kVariable)) + "\n";
  text += std::string("  ") + trace::kRegistryName + ": " +
          SettingText(platform::ReadUserValue(trace::kRegistryKey, trace::kRegistryValue)) + "\n";
  text +=
      std::string("  ") + trace::kMachineRegistryName + ": " +
      SettingText(platform::ReadMachineValue(trace::kRegistryKey, trace::kRegistryValue, 32768)) +
      "\n";
  text += "  in effect: " + (setting ? setting->file : std::string("tracing is off")) + "\n";
  return text;
}

std::string InstallationText(const std::optional<std::string>& value) {
  if (!value || value->empty()) {
    return "no installation folder: the registry value is missing or empty\n";
  }
  const std::string location = *value + "\\vok";
  std::string text = location + "\n";
  const std::vector<ListedEntry> listing = ListFolder(location);
  if (listing.empty()) return text + "  (cannot be read, or empty)\n";
  for (const ListedEntry& entry : listing) {
    char size[24];
    std::snprintf(size, sizeof size, "%12llu", static_cast<unsigned long long>(entry.bytes));
    text += entry.modified + "  " +
            (entry.folder ? std::string("      <folder>") : "  " + std::string(size)) + "  " +
            entry.path + "\n";
  }
  return text;
}

}  // namespace vok::tool
