// How busy a followed page looks: its elements, the loads it finished and the
// pictures still loading, and how many of its scripts' data requests (fetch,
// XMLHttpRequest) have finished; and whether it looks done: loaded whole, no
// picture still loading.
(function () {
    'use strict';
    var images = document.images, loading = 0;
    for (var i = 0; i < images.length; i++) {
        if (!images[i].complete) loading++;
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
            done: loading === 0 && document.readyState === 'complete'};
})()
