#include "transfer/TransferLoop.h"

TransferLoop::TransferLoop() {
    Make();
}

TransferLoop::~TransferLoop() {
    if (multi)
        curl_multi_cleanup(multi);
}

void TransferLoop::Make() {
    multi = curl_multi_init();
    if (multi && hostConnections > 0)
        curl_multi_setopt(multi, CURLMOPT_MAX_HOST_CONNECTIONS, hostConnections);
}

void TransferLoop::LimitHostConnections(long connections) {
    hostConnections = connections;
    if (multi)
        curl_multi_setopt(multi, CURLMOPT_MAX_HOST_CONNECTIONS, connections);
}

bool TransferLoop::Add(CURL* handle) {
    return multi && curl_multi_add_handle(multi, handle) == CURLM_OK;
}

void TransferLoop::Remove(CURL* handle) {
    if (multi)
        curl_multi_remove_handle(multi, handle);
}

void TransferLoop::Step(int milliseconds) {
    if (!multi)
        return;
    curl_multi_poll(multi, nullptr, 0, milliseconds, nullptr);
    int running = 0;
    curl_multi_perform(multi, &running);
}

bool TransferLoop::NextFinished(CURL*& handle, CURLcode& result) {
    int queued = 0;
    while (CURLMsg* message = multi ? curl_multi_info_read(multi, &queued) : nullptr) {
        if (message->msg != CURLMSG_DONE)
            continue;
        handle = message->easy_handle;
        result = message->data.result;
        return true;
    }
    return false;
}

void TransferLoop::Wake() {
    std::lock_guard<std::mutex> guard(lock);
    if (multi)
        curl_multi_wakeup(multi);
}

void TransferLoop::CloseConnections() {
    std::lock_guard<std::mutex> guard(lock);
    if (multi)
        curl_multi_cleanup(multi);
    Make();
}
