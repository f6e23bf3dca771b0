// How busy a followed page looks: its elements, the loads it finished and the
// pictures still loading. Equal answers half a second apart: it has settled.
(function () {
    'use strict';
    var images = document.images, loading = 0;
    for (var i = 0; i < images.length; i++) {
        if (!images[i].complete) loading++;
    }
    return [document.getElementsByTagName('*').length,
            performance.getEntriesByType('resource').length, loading,
            document.readyState].join(' ');
})()
