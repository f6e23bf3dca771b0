// How busy a followed page looks: its elements, the loads it finished and the
// pictures still loading, and how many of its scripts' data requests (fetch,
// XMLHttpRequest) have finished.
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
            dataDone: dataDone};
})()
