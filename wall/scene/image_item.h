#pragma once
// One picture of a folder. An item only reads its file and prepares images on the CPU, so it may
// be used on a loader thread; one item is used by one thread at a time (it records the aspect).
#include <QImage>
#include <QSize>
#include <string>
#include "scene/picture_prep.h"
#include "scene/wall_layout.h"

namespace halvix {

class IImageItem {
  public:
    virtual ~IImageItem() = default;
    virtual bool IsAvailable() const = 0;
    virtual bool IsLoaded() const = 0;
    // Height / width of the picture last loaded, 0 before.
    virtual float Aspect() const = 0;
    // The prepared image of a tile (fitted into 480 x 360, glowed unless PNG), or a null image.
    virtual QImage WallImage() = 0;
    // The full-size picture, or a null image; records the aspect.
    virtual QImage Load() = 0;
    // The file name as listed, relative to the folder.
    virtual const std::string& Name() const = 0;
};

// A picture file in a local folder. The name is the listed file name (bytes as the file system
// gives them); the file is read from the folder the source listed, whatever the process working
// directory is at the time.
class CLocalImageItem : public IImageItem {
  public:
    CLocalImageItem(std::string name, std::string native_folder, DecodeMode mode = DecodeMode::Reduced);

    bool IsAvailable() const override { return true; }
    bool IsLoaded() const override { return true; }
    float Aspect() const override { return aspect_; }
    QImage WallImage() override;
    QImage Load() override;
    const std::string& Name() const override { return name_; }

    // The same preparation as WallImage for another box (the selected tile's 960 x 720).
    QImage PreparedImage(QSize box);
    // The file's native path.
    std::string NativePath() const;

  private:
    std::string name_;
    std::string folder_;  // native, absolute; empty means the working directory
    DecodeMode mode_;
    float aspect_ = 0.0f;
};

}  // namespace halvix
