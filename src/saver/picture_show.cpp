#include "saver/picture_show.h"

#include <algorithm>
#include <utility>

#include "render/caption_band.h"
#include "saver/caption.h"

namespace vexaframe {

PictureShow::PictureShow(RunState& run, SaverPictures pictures,
                         std::function<void(std::wstring_view)> report)
    : order_(run),
      files_(pictures.files),
      staged_(pictures.files, std::move(pictures.stagedFile)),
      decoder_(std::move(pictures.decoder)),
      text_(std::move(pictures.text)),
      folder_(run.settings.ImageFolder),
      report_(std::move(report)),
      preparer_([this](const std::string& file, std::stop_token stop) {
          return DecodeNextPicture(file, std::move(stop));
      }) {}

void PictureShow::UseDevice(std::unique_ptr<RenderDevice> device, int refreshHertz,
                            std::chrono::microseconds framePause) {
    device_ = std::move(device);
    if (device_) {
        textureLimits_ = device_->ScreenTextureLimits();
        SetCaptionScreen();
        MakeResources();
    }
    pacer_.emplace(refreshHertz, FramePacer::Clock::now(), framePause);
}

// With the device's limits known, so that the decoder makes the texture too. A first picture
// that gives nothing leaves the screen black; the pictures after it are tried in turn.
void PictureShow::StageFirstPicture() {
    PicturePosition_ = 0;
    const std::string* first = order_.FileAt(1);
    const bool decoded = first != nullptr && DecodeIntoPendingFile(*first, {});
    std::optional<Image> texture =
        decoded ? staged_.TakePendingTexture(textureLimits_) : std::nullopt;
    const bool newPicture = StageNextImage(decoded);
    if (!newPicture || !device_) return;
    pictureCaption_ = {PaintCaptionOf(*first), nullptr};
    if (texture) stagedTexture_ = std::make_shared<const Image>(std::move(*texture));
    MakeResources();
}

// Captions prepared from now on are for the new size; the one on the screen stays as it is.
void PictureShow::ResizeDevice(int width, int height) {
    if (!device_ || !device_->Resize(width, height)) return;
    SetCaptionScreen();
}

PixelSize PictureShow::CaptionScreen() const {
    const std::lock_guard lock(captionScreenMutex_);
    return captionScreen_;
}

void PictureShow::SetCaptionScreen() {
    const PixelSize screen{device_->TargetSize().width, device_->TargetSize().height};
    {
        const std::lock_guard lock(captionScreenMutex_);
        captionScreen_ = screen;
    }
    pauseSign_ = {PaintPauseBand(CaptionMetricsFor(screen)), nullptr};
}

// The order is already rebuilt when the last position was staged, so the next file is known,
// unless the listing has not yet found it.
void PictureShow::PrepareNextPicture() {
    const bool steppedBack = onCube_ + 1 < shown_.size();
    Prepare(steppedBack ? std::optional<std::size_t>(onCube_ + 1) : std::nullopt);
}

bool PictureShow::PrepareEarlierPicture() {
    const std::size_t from =
        next_.shownBefore && *next_.shownBefore < onCube_ ? *next_.shownBefore : onCube_;
    if (from == 0) return false;
    Prepare(from - 1);
    return true;
}

bool PictureShow::PrepareLaterPicture() {
    if (!next_.shownBefore || *next_.shownBefore >= onCube_) return true;
    const std::size_t later = *next_.shownBefore + 1;
    if (later == onCube_) {
        PrepareNextPicture();
        return false;
    }
    Prepare(later);
    return true;
}

// A picture shown before is known; the order's next position may not be listed yet.
void PictureShow::Prepare(std::optional<std::size_t> shownBefore) {
    next_ = NextPicture{};
    next_.shownBefore = shownBefore;
    const std::string* file = shownBefore ? order_.FileNumbered(shown_[*shownBefore])
                                          : order_.FileAt(PicturePosition_ + 1);
    if (file == nullptr && !shownBefore && !order_.Complete()) {
        next_.stage = NextStage::Listing;
        return;
    }
    preparer_.Start(file != nullptr ? *file : std::string());
}

// Once the listing has found the next position's picture, or has ended short of it, which ends
// the cycle.
void PictureShow::PrepareListedPicture() {
    if (order_.EndCycleAfter(PicturePosition_)) PicturePosition_ = 0;
    if (order_.FileAt(PicturePosition_ + 1) != nullptr || order_.Complete()) PrepareNextPicture();
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
    if (prepared.inPendingFile && !stop.stop_requested()) {
        prepared.texturePicture = staged_.TakePendingTexture(textureLimits_);
        prepared.caption = PaintCaptionOf(file);
    }
    return prepared;
}

// Made for every picture, so that one asked for with captions off is there at once.
Image PictureShow::PaintCaptionOf(const std::string& file) {
    if (!text_) return {};
    return PaintCaption(*text_, CaptionLinesOf(files_, file, folder_), CaptionScreen());
}

// A picture whose texture cannot be made is ready too: its change reports the problem.
void PictureShow::UploadNextPicture() {
    order_.TakeListed();
    if (next_.stage == NextStage::Listing) {
        PrepareListedPicture();
        return;
    }
    if (next_.stage == NextStage::Preparing) {
        std::optional<PreparedPicture> prepared = preparer_.TakeFinished();
        if (!prepared) return;
        next_.inPendingFile = prepared->inPendingFile;
        next_.caption = std::move(prepared->caption);
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
    const bool newPicture = next_.shownBefore
                                ? StageShownBefore(*next_.shownBefore, next_.inPendingFile)
                                : StageNextImage(next_.inPendingFile);
    if (newPicture) {
        stagedTexture_ = std::move(next_.picture);
        pictureCaption_ = {std::move(next_.caption), nullptr};
    }
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
        shown_.push_back(order_.NumberAt(position));
        onCube_ = shown_.size() - 1;
    } else if (!pictureStaged_ && unstagedPositions_ < order_.ImageCount()) {
        ++unstagedPositions_;
    }
    if (order_.EndCycleAfter(position)) PicturePosition_ = 0;
    return staged;
}

// A picture shown before takes the cube's place among them even when it no longer loads, so
// that the next step goes on past it.
bool PictureShow::StageShownBefore(std::size_t index, bool pendingHoldsPicture) {
    onCube_ = index;
    return pendingHoldsPicture && staged_.CommitPending();
}

bool PictureShow::NoPictureLoads() const {
    return !pictureStaged_ && order_.Complete() && unstagedPositions_ >= order_.ImageCount();
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

// The band's texture is made by the first frame that shows it: a few hundred kilobytes.
std::optional<SceneOverlay> PictureShow::OverlayFor(CaptionRequest caption) {
    Overlay* overlay = caption.shown == CaptionShown::Picture  ? &pictureCaption_
                       : caption.shown == CaptionShown::Paused ? &pauseSign_
                                                               : nullptr;
    if (overlay == nullptr || overlay->band.width == 0 || caption.opacity <= 0) return std::nullopt;
    if (!overlay->texture) overlay->texture = device_->CreateOverlayTexture(overlay->band);
    if (!overlay->texture) return std::nullopt;
    const PixelSize screen = CaptionScreen();
    const BandPosition at = CaptionPosition(screen, {overlay->band.width, overlay->band.height},
                                            CaptionMetricsFor(screen));
    return SceneOverlay{overlay->texture.get(), at.x, at.y, std::min(caption.opacity, 1.0f)};
}

FrameOutcome PictureShow::DrawFrame(SceneState scene, CaptionRequest caption) {
    if (!device_) return FrameOutcome::Failed;
    DeviceCondition condition = RegainDevice();
    if (condition == DeviceCondition::Ready) {
        UploadNextPicture();
        scene.Texture = resources_.Texture.get();
        const bool drawn = pictureStaged_
                               ? RenderFrame(*device_, clock_, scene, OverlayFor(caption))
                               : RenderEmptyFrame(*device_);
        if (drawn) return FrameOutcome::Drawn;
        condition = device_->Condition();  // it may have been lost during the frame
        if (condition == DeviceCondition::Ready) return FrameOutcome::Failed;
    }
    if (condition == DeviceCondition::Failed) return FrameOutcome::Failed;
    DropDeviceResources();
    return FrameOutcome::Skipped;
}

PictureShow::DueFrame PictureShow::DrawDueFrame(SceneState scene, CaptionRequest caption) {
    if (!pacer_) return {};
    using Clock = FramePacer::Clock;
    DueFrame frame;
    if (pacer_->TimeToNextFrame(Clock::now()) == Clock::duration::zero()) {
        frame.drawn = DrawFrame(scene, caption);
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
    if (prepared) Prepare(next_.shownBefore);
}

void PictureShow::ReleaseDeviceObjects() {
    resources_ = SceneResources{};
    retired_.reset();
    pictureCaption_.texture.reset();
    pauseSign_.texture.reset();
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
