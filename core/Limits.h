#pragma once

// Limits and defaults the window, its settings and quillmar-harvest share,
// each defined here once.
struct Limits {
    // Files one download fetches at once.
    static constexpr int MinParallelDownloads = 1;
    static constexpr int MaxParallelDownloads = 16;
    static constexpr int DefaultParallelDownloads = 4;
    // Connections one download keeps open to one host at once.
    static constexpr int DefaultPerSiteConnections = 4;
    // The longest wait between two requests to one site one may ask for: an hour.
    static constexpr int MaxRequestWaitSeconds = 3600;
    // The highest download speed limit one may set, in KB/s (about 1 GB/s).
    static constexpr int MaxDownloadSpeedLimit = 1000000;
    // The largest minimum picture size one may ask for, in pixels each way.
    static constexpr int MaxMinimumPictureSide = 100000;
    // How long quillmar-harvest waits for a page unless told otherwise.
    static constexpr int DefaultPageTimeoutSeconds = 30;
    // The longest wait for a page one may ask quillmar-harvest for: a day.
    static constexpr int MaxPageTimeoutSeconds = 86400;
    // The longest address the engine loads, in bytes.
    static constexpr long long MaxAddressBytes = 2 * 1024 * 1024;
};
