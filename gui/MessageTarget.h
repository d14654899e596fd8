#pragma once

// Whatever receives posted messages: the message channel calls
// handleMessage on the GUI thread (or the render thread under the root
// control's lock) for each record posted to it.

namespace gui {

class MessageTarget {
public:
    virtual void handleMessage(int code) = 0;

protected:
    ~MessageTarget() = default;
};

} // namespace gui
