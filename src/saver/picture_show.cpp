#include "saver/picture_show.h"

#include <utility>

#include "settings/image_order.h"

namespace vexaframe {

PictureShow::PictureShow(RunState& run, SaverPictures pictures,
                         std::function<void(std::wstring_view)> report)
    : run_(run),
      staged_(pictures.files, std::move(pictures.stagedFile)),
      decoder_(std::move(pictures.decoder)),
      report_(std::move(report)),
      preparer_([this](const std::string& file, std::stop_token stop) {
          return DecodeNextPicture(file, std::move(stop));
      }) {}

void PictureShow::UseDevice(std::unique_ptr<RenderDevice> device, int refreshHertz,
                            std::chrono::microseconds framePause) {
    device_ = std::move(device);
    if (device_) {
        textureLimits_ = device_->ScreenTextureLimits();
        MakeResources();
    }
    pacer_.emplace(refreshHertz, FramePacer::Clock::now(), framePause);
}

// With the device's limits known, so that the decoder makes the texture too. A first picture
// that gives nothing leaves the screen black; the pictures after it are tried in turn.
void PictureShow::StageFirstPicture() {
    PicturePosition_ = 0;
    const std::string* first = PictureFileAt(1);
    const bool decoded = first != nullptr && DecodeIntoPendingFile(*first, {});
    std::optional<Image> texture =
        decoded ? staged_.TakePendingTexture(textureLimits_) : std::nullopt;
    const bool newPicture = StageNextImage(decoded);
    if (!newPicture || !device_) return;
    if (texture) stagedTexture_ = std::make_shared<const Image>(std::move(*texture));
    MakeResources();
}

void PictureShow::ResizeDevice(int width, int height) {
    if (device_) device_->Resize(width, height);
}

// The order is already rebuilt when the last position was staged, so the next file is known.
void PictureShow::PrepareNextPicture() {
    next_ = NextPicture{};
    const std::string* file = PictureFileAt(PicturePosition_ + 1);
    preparer_.Start(file != nullptr ? *file : std::string());
}

// The picture at its own size in the pending file and, for a device, its texture beside it.
bool PictureShow::DecodeIntoPendingFile(const std::string& file, std::stop_token stop) {
    staged_.HoldStaged();
    DecodeTargets targets{staged_.PendingPath(), {}};
    if (textureLimits_.maxTextureSize >= 1)
        targets.texture = DecodeTargets::Texture{staged_.PendingTexturePath(), textureLimits_};
    return decoder_->DecodeToBitmapFile(file, targets, std::move(stop)) == DecodeOutcome::Written;
}

// On the preparing thread: only the file's name is shared with the window's thread.
PreparedPicture PictureShow::DecodeNextPicture(const std::string& file, std::stop_token stop) {
    PreparedPicture prepared;
    prepared.inPendingFile = !file.empty() && DecodeIntoPendingFile(file, stop);
    if (prepared.inPendingFile && !stop.stop_requested())
        prepared.texturePicture = staged_.TakePendingTexture(textureLimits_);
    return prepared;
}

// A picture whose texture cannot be made is ready too: its change reports the problem.
void PictureShow::UploadNextPicture() {
    if (next_.stage == NextStage::Preparing) {
        std::optional<PreparedPicture> prepared = preparer_.TakeFinished();
        if (!prepared) return;
        next_.inPendingFile = prepared->inPendingFile;
        if (prepared->inPendingFile && prepared->texturePicture) {
            next_.picture = std::make_shared<const Image>(std::move(*prepared->texturePicture));
            next_.upload = device_->BeginTextureUpload(next_.picture, std::move(retired_));
        }
        next_.stage = next_.upload ? NextStage::Uploading : NextStage::Ready;
        return;
    }
    if (next_.stage != NextStage::Uploading) return;
    if (next_.upload->Step() == TextureUpload::State::Uploading) return;
    next_.texture = next_.upload->TakeTexture();
    next_.upload.reset();
    next_.stage = NextStage::Ready;
}

void PictureShow::ShowNextPicture() {
    const bool newPicture = StageNextImage(next_.inPendingFile);
    if (newPicture) stagedTexture_ = std::move(next_.picture);
    ReplaceResources(newPicture, std::move(next_.texture));
    PrepareNextPicture();
}

// Moves on to the next position of the order, whose picture the pending bitmap file holds
// unless it could not be loaded. True when it became the staged picture; otherwise the staged
// file keeps the previous picture, which is then shown again. Until a first picture has been
// staged, the positions that gave none are counted.
bool PictureShow::StageNextImage(bool pendingHoldsPicture) {
    const std::int32_t position = ++PicturePosition_;
    const bool staged = pendingHoldsPicture && staged_.CommitPending();
    if (staged) {
        pictureStaged_ = true;
    } else if (!pictureStaged_ && unstagedPositions_ < run_.catalogue.ImageCount) {
        ++unstagedPositions_;
    }
    if (position >= run_.catalogue.ImageCount) {
        BuildImageOrder(run_.settings.OrderMode, run_.catalogue.ImageCount, run_.ImageOrder,
                        run_.random);
        PicturePosition_ = 0;
    }
    return staged;
}

// The file the order holds at `position`; nothing outside the order or the catalogue.
const std::string* PictureShow::PictureFileAt(std::int32_t position) const {
    const auto& order = run_.ImageOrder;
    if (position < 1 || static_cast<std::size_t>(position) >= order.size()) return nullptr;
    const std::int32_t number = order[static_cast<std::size_t>(position)];
    if (number < 1 || static_cast<std::size_t>(number) > run_.catalogue.ImageFiles.size())
        return nullptr;
    return &run_.catalogue.ImageFile(number);
}

bool PictureShow::NoPictureLoads() const {
    return !pictureStaged_ && unstagedPositions_ >= run_.catalogue.ImageCount;
}

// The vertex buffer and its binding, and the texture made from the staged picture's pixels.
void PictureShow::MakeResources() {
    ReplaceResources(true, stagedTexture_ ? device_->CreateTexture(*stagedTexture_) : nullptr);
}

// The vertex buffer and its binding anew. With a new picture `texture` replaces the cube's
// texture (none: the problem is reported and the earlier texture stays); without, the cube
// keeps its texture, as the staged file keeps its picture. Before any picture was staged there
// is no texture to have.
void PictureShow::ReplaceResources(bool newPicture, std::unique_ptr<DeviceTexture> texture) {
    if (!device_) return;
    const auto report = [this](ResourceProblem problem) { ReportProblem(problem); };
    if (!pictureStaged_) {
        BindVertices(*device_, resources_, report);
        return;
    }
    CreateResources(*device_, newPicture ? std::move(texture) : std::move(resources_.Texture),
                    resources_, report);
    retired_ = std::move(resources_.Retired);
}

void PictureShow::ReportProblem(ResourceProblem problem) {
    report_(problem == ResourceProblem::VertexBuffer ? kVertexBufferProblem : kTextureProblem);
}

FrameOutcome PictureShow::DrawFrame(SceneState scene) {
    if (!device_) return FrameOutcome::Failed;
    DeviceCondition condition = RegainDevice();
    if (condition == DeviceCondition::Ready) {
        UploadNextPicture();
        scene.Texture = resources_.Texture.get();
        const bool drawn =
            pictureStaged_ ? RenderFrame(*device_, clock_, scene) : RenderEmptyFrame(*device_);
        if (drawn) return FrameOutcome::Drawn;
        condition = device_->Condition();  // it may have been lost during the frame
        if (condition == DeviceCondition::Ready) return FrameOutcome::Failed;
    }
    if (condition == DeviceCondition::Failed) return FrameOutcome::Failed;
    DropDeviceResources();
    return FrameOutcome::Skipped;
}

PictureShow::DueFrame PictureShow::DrawDueFrame(SceneState scene) {
    if (!pacer_) return {};
    using Clock = FramePacer::Clock;
    DueFrame frame;
    if (pacer_->TimeToNextFrame(Clock::now()) == Clock::duration::zero()) {
        frame.drawn = DrawFrame(scene);
        // A skipped frame counts too, so that a lost device is asked once a frame, not in a spin.
        if (pacer_) pacer_->FrameDrawn(Clock::now());
    }
    if (pacer_) {
        frame.wait =
            std::chrono::ceil<std::chrono::milliseconds>(pacer_->TimeToNextFrame(Clock::now()));
    }
    return frame;
}

// A reset due is made with the resources gone. A reset that fails because the device was lost
// again is tried again at a later frame; any other failure would fail every later try as well,
// and a saver that stays black hides it, so it is reported.
DeviceCondition PictureShow::RegainDevice() {
    DeviceCondition condition = device_->Condition();
    if (condition == DeviceCondition::ResetDue) {
        DropDeviceResources();
        condition = device_->Reset();
    }
    if (condition == DeviceCondition::Ready && deviceLost_) {
        deviceLost_ = false;
        MakeResources();
    }
    return condition;
}

// At once, so that no picture change meanwhile works with the lost device's textures. The next
// picture's texture goes with them, so that picture is prepared again; keeping its picture in
// memory for a loss that seldom comes would double what the saver holds.
void PictureShow::DropDeviceResources() {
    if (deviceLost_) return;
    deviceLost_ = true;
    const bool prepared = next_.stage != NextStage::Preparing;
    ReleaseDeviceObjects();
    if (prepared) PrepareNextPicture();
}

void PictureShow::ReleaseDeviceObjects() {
    resources_ = SceneResources{};
    retired_.reset();
    next_.upload.reset();
    next_.texture.reset();
    next_.picture.reset();
}

void PictureShow::ReleaseDevice() {
    pacer_.reset();
    ReleaseDeviceObjects();
    device_.reset();
}

void PictureShow::EndDecoding() {
    decoder_->EndAll();
    staged_.DiscardPending();
}

}  // namespace vexaframe
