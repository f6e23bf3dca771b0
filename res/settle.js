// How busy a followed page looks: its elements, the loads it finished and the
// pictures still loading, and how many of its scripts' data requests (fetch,
// XMLHttpRequest) have finished; whether it looks done: loaded whole, no
// picture still loading; whether it is a parsed web document (not the blank
// page before the first load, nor an error page); and, of the pictures still
// loading, how many are sized (their header has come) and how many are not.
// A lazy picture away from the screen is not fetched, so it is not waited for.
(function () {
    'use strict';
    var images = document.images, loading = 0, sized = 0, unsized = 0;
    var height = innerHeight, width = innerWidth;
    for (var i = 0; i < images.length; i++) {
        var image = images[i];
        if (image.complete) continue;
        loading++;
        if (image.naturalWidth > 0) {
            sized++;
            continue;
        }
        var box = image.getBoundingClientRect();
        var deferred = image.loading === 'lazy' &&
                       !(box.bottom >= 0 && box.top <= height && box.right >= 0 && box.left <= width);
        if (!deferred) unsized++;
    }
    var loads = performance.getEntriesByType('resource'), dataDone = 0;
    for (var j = 0; j < loads.length; j++) {
        var kind = loads[j].initiatorType;
        if (kind === 'fetch' || kind === 'xmlhttprequest') dataDone++;
    }
    return {state: [document.getElementsByTagName('*').length, loads.length, loading,
                    document.readyState].join(' '),
            dataDone: dataDone,
            loadsDone: loads.length,
            done: loading === 0 && document.readyState === 'complete',
            parsed: document.readyState !== 'loading' && /^(https?|file):/i.test(document.URL),
            complete: document.readyState === 'complete',
            sized: sized,
            unsized: unsized};
})()
