#include "requestscheduler.h"

#include "commandcodes.h"
#include "frame.h"

#include <QElapsedTimer>

#include <memory>

namespace RequestScheduler {

Decision tick(const Inputs &in, QQueue<QByteArray> *queue, QQueue<QByteArray> *working)
{
    Decision d;
    d.reportTimeout = !in.answered;
    if (!in.portOpen) {
        d.reportClosedPort = true;
        queue->clear();
        working->clear();
    }
    if (queue->isEmpty())
        queue->enqueue(Frame::readRequest(in.address, Cmd::ReadRealTime));
    if (working->isEmpty())
        *working = *queue;
    if (!in.lineFree) {
        d.held = true;
    } else if (isIdle(in.sinceLastReceiveMs, in.idleThresholdMs)) {
        d.send = true;
        d.frame = working->dequeue();
        queue->dequeue();
        d.expectReply = expectsReply(d.frame);
    } else {
        d.pollNotSent = true;
        const QByteArray poll = Frame::readRequest(in.address, Cmd::ReadRealTime);
        if (working->head() == poll && queue->head() == poll) {
            working->dequeue();
            queue->dequeue();
        }
    }
    return d;
}

bool expectsReply(const QByteArray &frame)
{
    return frame.startsWith(":Y+") && frame.endsWith("=?~");
}

Clock steadyClock()
{
    auto timer = std::make_shared<QElapsedTimer>();
    timer->start();
    return [timer] { return timer->elapsed(); };
}

} // namespace RequestScheduler
