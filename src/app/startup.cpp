#include "app/startup.h"

#include "settings/image_order.h"
#include "settings/command_line.h"

namespace vexaframe {
namespace {

bool AnotherInstanceRuns(StartupServices& services) {
    const bool saverRuns = services.WindowTitledExists(kSaverWindowTitle);
    const bool dialogRuns = services.WindowTitledExists(kSettingsDialogTitle);
    return saverRuns || dialogRuns;
}

StartupOutcome StartSaver(RunState& run, StartupServices& services, std::string_view mode) {
    if (run.catalogue.ImageCount <= 0) {
        services.ShowMessage(kChoosePicturesMessage);
        return StartupOutcome::EndProgram;
    }
    PrepareImageOrder(run);
    // Started without a switch (by hand, not by the system) the pointer stays visible.
    if (mode == "S") run.CursorCount = services.ShowCursor(false);
    if (services.OpenSaver(run)) return StartupOutcome::RunWindows;
    // The pointer comes back for the message.
    if (mode == "S") run.CursorCount = services.ShowCursor(true);
    services.ShowMessage(kSaverWindowError);
    return StartupOutcome::EndProgram;
}

}  // namespace

void PrepareImageOrder(RunState& run) {
    const std::int16_t imageCount = run.catalogue.ImageCount;
    run.ImageOrder.assign(static_cast<std::size_t>(imageCount) + 1, 0);
    BuildImageOrder(run.settings.OrderMode, imageCount, run.ImageOrder, run.random);
}

StartupOutcome Main(RunState& run, StartupServices& services) {
    if (AnotherInstanceRuns(services)) return StartupOutcome::EndProgram;

    const std::string mode = ModeLetter(run.ArgumentText);
    if (mode == "P") {
        // Without a host the preview window would never be seen, nor ever be closed.
        const std::int32_t host = WindowHandleFromArgument(run.ArgumentText);
        const bool opened = host != 0 && services.OpenPreview(host);
        return opened ? StartupOutcome::RunWindows : StartupOutcome::EndProgram;
    }

    services.LoadSettings(run.settings, run.catalogue);
    if (mode == "A") {
        // Only the non-NT platforms keep the saver password themselves.
        if (!services.IsWindowsNT()) {
            services.ChangeSaverPassword(WindowHandleFromArgument(run.ArgumentText));
        }
        return StartupOutcome::EndProgram;
    }
    if (mode == "C") {
        if (!services.ShowSettingsDialog(run)) services.ShowMessage(kSettingsDialogError);
        return StartupOutcome::EndProgram;
    }
    if (mode != "S" && !run.ArgumentText.empty()) return StartupOutcome::EndProgram;
    return StartSaver(run, services, mode);
}

}  // namespace vexaframe
