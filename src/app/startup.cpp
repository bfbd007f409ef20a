#include "app/startup.h"

#include "settings/command_line.h"
#include "settings/image_order.h"

namespace vexaframe {
namespace {

bool AnotherInstanceRuns(StartupServices& services) {
    const bool saverRuns = services.WindowTitledExists(kSaverWindowTitle);
    const bool dialogRuns = services.WindowTitledExists(kSettingsDialogTitle);
    return saverRuns || dialogRuns;
}

// Started by the system (/s) the saver hides the pointer, ends on a real mouse movement and, on
// the platforms that keep the saver password themselves, asks for it first; started by hand
// (no switch) it does none of these.
SaverMode SaverModeFor(bool startedBySystem, StartupServices& services) {
    return {.endsOnMouseMove = startedBySystem,
            .hidesPointer = startedBySystem,
            .asksPassword = startedBySystem && !services.IsWindowsNT()};
}

StartupOutcome StartSaver(RunState& run, StartupServices& services, bool startedBySystem) {
    if (run.catalogue.ImageCount <= 0) {
        services.ShowMessage(kChoosePicturesMessage);
        return StartupOutcome::EndProgram;
    }
    PrepareImageOrder(run);
    if (services.OpenSaver(run, SaverModeFor(startedBySystem, services)))
        return StartupOutcome::RunWindows;
    services.ShowMessage(kSaverWindowError);
    return StartupOutcome::EndProgram;
}

}  // namespace

void PrepareImageOrder(RunState& run) {
    const std::int32_t imageCount = run.catalogue.ImageCount;
    run.ImageOrder.assign(static_cast<std::size_t>(imageCount) + 1, 0);
    BuildImageOrder(run.settings.OrderMode, imageCount, run.ImageOrder, run.random);
}

StartupOutcome Main(std::string_view argumentText, RunState& run, StartupServices& services) {
    if (AnotherInstanceRuns(services)) return StartupOutcome::EndProgram;

    const std::string mode = ModeLetter(argumentText);
    if (mode == "P") {
        // Without a host the preview window would never be seen, nor ever be closed.
        const std::int32_t host = WindowHandleFromArgument(argumentText);
        const bool opened = host != 0 && services.OpenPreview(host);
        return opened ? StartupOutcome::RunWindows : StartupOutcome::EndProgram;
    }

    const bool shows = mode == "S" || argumentText.empty();
    services.LoadSettings(run, shows ? CatalogueUse::Show : CatalogueUse::Whole);
    if (mode == "A") {
        // Only the non-NT platforms keep the saver password themselves.
        if (!services.IsWindowsNT()) {
            services.ChangeSaverPassword(WindowHandleFromArgument(argumentText));
        }
        return StartupOutcome::EndProgram;
    }
    if (mode == "C") {
        if (!services.ShowSettingsDialog(run)) services.ShowMessage(kSettingsDialogError);
        return StartupOutcome::EndProgram;
    }
    if (mode != "S" && !argumentText.empty()) return StartupOutcome::EndProgram;
    return StartSaver(run, services, mode == "S");
}

}  // namespace vexaframe
