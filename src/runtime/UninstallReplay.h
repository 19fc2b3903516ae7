#pragma once
// The uninstallation itself: the uninstall log replayed backwards over the
// machine. Files go first, then the folders the installation created (inner
// ones first), then the registry values it wrote, and last the system's entry
// for the installation and the log. The uninstall page runs it and shows its
// progress; it needs no window.

#include <cstdint>
#include <functional>
#include <string>

namespace tailpack {

class TSetupRuntime;
class TUninstallList;

// Every item the replay works through: files, folders and registry values.
uint32_t UninstallItemCount(const TUninstallList& list);

// Told after each item worth showing: the status text (language string
// ItemProgress with the phase's name, the item's number and the phase's
// count) and the gauge position (items of all phases done so far). An item
// below one per cent of its phase is not shown.
using TUninstallItemShown = std::function<void(const std::u16string& status, uint32_t gaugePosition)>;

enum class TUninstallReplayResult {
  Complete,    // everything listed is gone, and with it the log and the system's entry
  LogDamaged,  // what the log still listed is gone; the log and the entry stay
};

// Replays runtime.UninstallList. With runtime.UninstallLogDamaged the part of
// the installation the log lost is still on the machine: the log and the
// system's entry stay so the user can learn of it and nothing is forgotten.
TUninstallReplayResult ReplayUninstall(TSetupRuntime& runtime, const TUninstallItemShown& shown);

}  // namespace tailpack
