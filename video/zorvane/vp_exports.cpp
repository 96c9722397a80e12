// The exported vp functions: each one hands over to the library of the process.
#include "gst_media_graph.h"
#include "video_library.h"
#include "video_units.h"
#include "zorvane.h"

namespace zorvane {

// The interface has no handle: the one library and its one player belong to the process.
VideoLibrary& ProcessVideoLibrary() {
    static VideoLibrary library(&GstMediaGraph::Create);
    return library;
}

}  // namespace zorvane

using zorvane::ProcessVideoLibrary;

void vpInitialize() {
    ProcessVideoLibrary().Initialize();
}
void vpAttach(VPWINDOW window) {
    ProcessVideoLibrary().Attach(window);
}
void vpLoad(const char16_t* path) {
    ProcessVideoLibrary().Load(path != nullptr ? std::u16string(path) : std::u16string());
}
void vpPlay() {
    ProcessVideoLibrary().Play();
}
void vpPause() {
    ProcessVideoLibrary().Pause();
}
void vpStop() {
    ProcessVideoLibrary().Stop();
}
std::int32_t vpHandleGraphEvent() {
    return ProcessVideoLibrary().HandleGraphEvent();
}
std::int32_t vpNotifyOwnerMessage(VPWINDOW window, std::uint32_t message, std::uint32_t wParam,
                                  std::uint32_t lParam) {
    return ProcessVideoLibrary().NotifyOwnerMessage(window, message, wParam, lParam);
}
std::int32_t vpGetTotalTime() {
    return ProcessVideoLibrary().TotalTime();
}
std::int32_t vpGetCurrentPosition() {
    return ProcessVideoLibrary().CurrentPosition();
}
void vpSetCurrentPosition(std::int32_t seconds) {
    ProcessVideoLibrary().SetCurrentPosition(seconds);
}
void vpSeekToBegin() {
    ProcessVideoLibrary().SeekToBegin();
}
void vpSeekToEnd() {
    ProcessVideoLibrary().SeekToEnd();
}
std::int32_t vpGetVolume() {
    return ProcessVideoLibrary().Volume();
}
void vpSetVolume(std::int32_t volume) {
    ProcessVideoLibrary().SetVolume(volume);
}
void vpPutFullMode(bool full) {
    ProcessVideoLibrary().PutFullMode(full);
}
void vpAdjustToWindow() {
    ProcessVideoLibrary().AdjustToWindow();
}
void vpQuit() {
    ProcessVideoLibrary().Quit();
}
VPPLAYSTATE vpGetPlayState() {
    return ProcessVideoLibrary().PlayState();
}
bool vpIsFileCanBeDecoded(const char16_t* path) {
    return ProcessVideoLibrary().IsFileCanBeDecoded(path != nullptr ? std::u16string(path)
                                                                    : std::u16string());
}
std::u16string vpSecondToLoalTime(std::int32_t seconds) {
    return zorvane::ClockText(seconds);
}
