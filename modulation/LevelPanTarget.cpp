#include "modulation/LevelPanTarget.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr float kEpsilon = 1.1920929e-7f;

float mapped(const ModulationMatrix::Target& t) {
    return t.mapping != nullptr ? t.mapping(t.amount) : t.amount;
}
} // namespace

LevelPanTarget::LevelPanTarget(ModulationMatrix& matrix, std::int32_t levelTarget, std::int32_t panTarget,
                               bool sumDifference)
    : wave::Component(matrix.getEnvironment()), matrix_(matrix), levelTarget_(levelTarget),
      panTarget_(panTarget), sumDifference_(sumDifference), first_(matrix.getEnvironment(), 0.0f),
      second_(matrix.getEnvironment(), 0.0f) {
    for (FloatParameter* gain : {&first_, &second_}) {
        gain->smallChangeTime.setValue(0.0f);
        gain->largeChangeTime.setValue(0.0f);
    }
    // The gains take the level target's range (a pan may move them up to
    // twice the level in sum/difference mode).
    float lo = -1.0f, hi = 1.0f;
    if (const ModulationMatrixLayout::TargetGroup* group = matrix.getLayout().groupOf(levelTarget)) {
        lo = std::min(group->minFactor, group->maxFactor);
        hi = std::max(group->minFactor, group->maxFactor);
    }
    float reach = std::max(std::fabs(lo), std::fabs(hi));
    first_.setLimits(-2.0f * reach, 2.0f * reach);
    second_.setLimits(-2.0f * reach, 2.0f * reach);
    if (matrix.isTarget(levelTarget)) matrix.getTarget(levelTarget).secondaryTarget = this;
    if (matrix.isTarget(panTarget)) matrix.getTarget(panTarget).secondaryTarget = this;
    update();
}

LevelPanTarget::~LevelPanTarget() {
    for (std::int32_t t : {levelTarget_, panTarget_})
        if (matrix_.isTarget(t) && matrix_.getTarget(t).secondaryTarget == this)
            matrix_.getTarget(t).secondaryTarget = nullptr;
}

void LevelPanTarget::gainsOf(float level, float pan, float& first, float& second) const {
    if (sumDifference_) {
        first = level + pan;
        second = level - pan;
    } else {
        first = level - std::max(pan, 0.0f) * level;
        second = level + std::min(pan, 0.0f) * level;
    }
}

void LevelPanTarget::update() {
    float level = matrix_.isTarget(levelTarget_) ? mapped(matrix_.getTarget(levelTarget_)) : 0.0f;
    float pan = matrix_.isTarget(panTarget_) ? mapped(matrix_.getTarget(panTarget_)) : 0.0f;
    float a, b;
    gainsOf(level, pan, a, b);
    first_.setValue(a, -1.0f);
    second_.setValue(b, -1.0f);
}

bool LevelPanTarget::isIdle() const {
    bool levelIdle = !matrix_.isTarget(levelTarget_) || matrix_.getTarget(levelTarget_).slots.empty();
    bool panIdle = !matrix_.isTarget(panTarget_) || matrix_.getTarget(panTarget_).slots.empty();
    return levelIdle && panIdle;
}

LevelPanTarget::VoiceController& LevelPanTarget::getVoiceController() {
    if (!controller_) controller_ = std::make_unique<VoiceController>(*this);
    return *controller_;
}

LevelPanTarget::VoiceController::VoiceController(LevelPanTarget& owner)
    : wave::MultiProducer(owner.getEnvironment(), 2), owner_(owner),
      level_(owner.matrix_.targetProducer(owner.levelTarget_)),
      pan_(owner.matrix_.targetProducer(owner.panTarget_)) {}

void LevelPanTarget::VoiceController::processAll(const wave::BasicBlock<float>** outputs, int count,
                                                 wave::ProduceMode) noexcept {
    wave::Environment& e = getEnvironment();
    const wave::BasicBlock<float>& level = wave::Producer::pull(level_, e, count);
    const wave::BasicBlock<float>& pan = wave::Producer::pull(pan_, e, count);
    if (pan.isConstant() && std::fabs(pan.data()[0]) <= kEpsilon) {
        outputs[0] = &level;
        outputs[1] = &level;
        // Both hand on the level's block: held while level and pan are.
        if (level_ != nullptr && level_->isHeld()) holdOutputsOn(level_, pan_, level_->getHeldCount());
        return;
    }
    if (owner_.isIdle()) {
        outputs[0] = &owner_.first_.advanceBlock(count);
        outputs[1] = &owner_.second_.advanceBlock(count);
        return;
    }
    float* a = getOutputBlock(0).data();
    float* b = getOutputBlock(1).data();
    const int n = (count + 3) & ~3;
    for (int i = 0; i < n; ++i)
        owner_.gainsOf(level.data()[level.isConstant() ? 0 : i], pan.data()[pan.isConstant() ? 0 : i], a[i],
                       b[i]);
    bool constant = level.isConstant() && pan.isConstant();
    getOutputBlock(0).setConstant(constant);
    getOutputBlock(1).setConstant(constant);
}
