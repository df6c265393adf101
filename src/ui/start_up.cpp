#include "ui/start_up.h"

#include <QString>

#include <cstdlib>
#include <ctime>

#include "app/product_info.h"
#include "audio/bass_startup.h"
#include "engine/media_engine.h"
#include "platform/system_info.h"
#include "ui/ui_services.h"
#include "util/paths.h"

namespace quillon::ui {

const char* StartUpMissingFilesText() {
    return "Quillon could not start up. Some files of the program are missing or corrupted."
           "\n\nPlease re-download the program and then install it again. Do you want to "
           "download it now?";
}

StartUpOutcome StartApplication(const std::string& programFolder) {
    const std::string enginePath = programFolder + engine::kEngineProgramName;
    if (!util::Exists(enginePath)) {
        if (Services().AskYesNo(nullptr, MessageIcon::Error, QString::fromUtf8(StartUpMissingFilesText()))) {
            Services().OpenDocument(QString::fromUtf8(app::kDownloadUrl));
        }
        return StartUpOutcome::EngineMissing;
    }

    std::srand(static_cast<unsigned>(std::time(nullptr)) * platform::TickCount());

    switch (audio::StartBassLibrary(programFolder)) {
    case audio::BassStartResult::Started: break;
    case audio::BassStartResult::WrongVersion: return StartUpOutcome::DecoderWrongVersion;
    case audio::BassStartResult::InitFailed:
        Services().ShowMessage(nullptr, MessageIcon::Error,
                               QStringLiteral("Failed to initialize the software (0x0002020)."));
        return StartUpOutcome::DecoderInitFailed;
    }
    return StartUpOutcome::Ready;
}

void ExitApplication() { audio::ReleaseBassLibrary(); }

}  // namespace quillon::ui
