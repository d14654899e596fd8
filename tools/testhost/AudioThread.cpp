#include "tools/testhost/AudioThread.h"

AudioThread::AudioThread() {
    std::unique_lock lock(mutex_);
    thread_ = std::thread([this] { loop(); });
    id_ = thread_.get_id();
}

AudioThread::~AudioThread() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_one();
    thread_.join();
}

void AudioThread::run(const std::function<void()>& task) {
    if (isCurrent()) {
        task();
        return;
    }
    start(task);
    wait();
}

void AudioThread::start(const std::function<void()>& task) {
    std::unique_lock lock(mutex_);
    done_.wait(lock, [this] { return task_ == nullptr; });
    task_ = &task;
    wake_.notify_one();
}

void AudioThread::wait() {
    std::unique_lock lock(mutex_);
    done_.wait(lock, [this] { return task_ == nullptr; });
}

void AudioThread::loop() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stop_ || task_ != nullptr; });
        if (task_) {
            const std::function<void()>* task = task_;
            lock.unlock();
            (*task)();
            lock.lock();
            task_ = nullptr;
            done_.notify_all();
        } else if (stop_) {
            return;
        }
    }
}
