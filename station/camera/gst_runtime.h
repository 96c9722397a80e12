#pragma once
// The media framework's initialisation, counted over every user in the process: the first
// GstRuntime initialises GStreamer, the last one to go away releases the count. GStreamer cannot be
// initialised again once it has been deinitialised, so the count never deinitialises it; the
// process keeps it until exit.
#include <string>

namespace vantor::camera {

class GstRuntime {
  public:
    GstRuntime();
    ~GstRuntime();
    GstRuntime(const GstRuntime&) = delete;
    GstRuntime& operator=(const GstRuntime&) = delete;
    GstRuntime(GstRuntime&&) = delete;
    GstRuntime& operator=(GstRuntime&&) = delete;

    // Whether GStreamer could be initialised; when not, Error() tells why.
    bool ok() const { return ok_; }
    const std::string& Error() const { return error_; }

    // Users in the process right now.
    static int Users();

  private:
    bool ok_ = false;
    std::string error_;
};

}  // namespace vantor::camera
