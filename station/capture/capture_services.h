#pragma once
// What the capture window is given from outside: the clock, the camera, the sounds, the
// microphone, the printer's dialogs, the screen and the settings. Tests give their own; the
// station gives nothing and WithStationDefaults fills in its own.
#include <QSize>
#include <functional>
#include <memory>
#include <optional>
#include "capture/capture_camera.h"
#include "capture/save_yield.h"
#include "capture/sign_in.h"
#include "platform/local_clock.h"
#include "printer/auto_size_printer.h"
#include "settings/gallery_settings.h"
#include "voice/wave_recorder.h"

struct CaptureWindowServices {
    const vantor::Clock* clock = nullptr;                         // the system clock when null
    std::function<std::unique_ptr<CaptureCamera>()> make_camera;  // the station camera when empty
    std::function<void()> show_seat_search;                       // button 1005
    std::function<bool()> seat_search_visible;                    // a visible window titled "引位"
    SignIn::SoundCue play_sound;                                  // plays a sound file when present
    travenor::CWaveRecorder::MicrophoneFactory open_microphone;   // the machine's microphone when empty
    CAutoSizePrinter::Services printer;                           // the print set-up dialog and screen
    QSize screen_size;                                            // the screen's when empty
    // The [gallery] settings; read from "Bin\config.ini" when empty.
    std::optional<vantor::settings::GallerySettings> gallery;
    SaveYield* save_yield = nullptr;  // held while a sign-in is saved; nothing when null
};

// The services with each member left empty replaced by the station's own (the printer's are
// filled by the print flow itself, the save yield stays optional).
CaptureWindowServices WithStationDefaults(CaptureWindowServices services);
