#include "platform/mediaremote/mpris/MprisSeekStepper.h"

#include "platform/objc/NSObject.h"

#include <algorithm>
#include <cmath>

std::shared_ptr<MprisSeekStepper> MprisSeekStepper::create(SeekHandler seek) {
    return makeObject<MprisSeekStepper>(std::move(seek));
}

MprisSeekStepper::MprisSeekStepper(SeekHandler seek) : m_seek(std::move(seek)) {}

MprisSeekStepper::~MprisSeekStepper() {
    cancelTimer();
}

double MprisSeekStepper::stepSeconds(int index) {
    return std::min(kLargestStep, kFirstStep + kStepGrowth * std::max(0, index));
}

void MprisSeekStepper::begin(Direction direction) {
    if (m_direction == direction)
        return;
    cancelTimer();
    m_direction = direction;
    m_steps = 0;
    step();
}

void MprisSeekStepper::end(Direction direction) {
    if (m_direction == direction)
        stop();
}

void MprisSeekStepper::stop() {
    cancelTimer();
    m_direction.reset();
    m_steps = 0;
}

void MprisSeekStepper::step() {
    if (!m_direction)
        return;
    if (m_steps >= kMaximumSteps) {
        stop();
        return;
    }
    double seconds = stepSeconds(m_steps++);
    if (*m_direction == Direction::Backward)
        seconds = -seconds;
    NSRunLoop& loop = NSRunLoop::mainRunLoop();
    // The next step is due an interval after this one was: the seek below
    // may take a while, and the steps keep their pace regardless.
    CFAbsoluteTime next = loop.now() + kInterval;
    std::weak_ptr<MprisSeekStepper> weakSelf = weak_from_this();
    m_timer = loop.schedule(next, [weakSelf] {
        if (auto self = weakSelf.lock()) {
            self->m_timer = 0;
            self->step();
        }
    });
    // The handler may stop this stepper (the track changed under it).
    if (m_seek)
        m_seek(static_cast<std::int64_t>(std::llround(seconds * 1e6)));
}

void MprisSeekStepper::cancelTimer() {
    if (m_timer)
        NSRunLoop::mainRunLoop().cancel(m_timer);
    m_timer = 0;
}
