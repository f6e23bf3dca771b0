// Reads the document type of the page shown and, for its document and every
// frame document it can reach, the addresses of its links and images.
// Runs in an isolated world, so the page's scripts cannot touch the built-ins
// used here. In the page's world, named elements shadow document properties
// (<img name="images">); reading them through the prototype's getters keeps
// the scan clear of that, whichever world it runs in.
// Plain arrays of strings keep the hand-over cheap on pages with 100,000
// elements; only links that are not anchors carry their tag name.
(function () {
    'use strict';
    function getter(prototype, name) {
        return Object.getOwnPropertyDescriptor(prototype, name).get;
    }
    var contentTypeOf = getter(Document.prototype, 'contentType');
    var titleOf = getter(Document.prototype, 'title');
    var linksOf = getter(Document.prototype, 'links');
    var imagesOf = getter(Document.prototype, 'images');

    function readLinks(document, result) {
        var links = linksOf.call(document);
        var count = links.length;
        for (var i = 0; i < count; i++) {
            var link = links[i];
            result.links.push(link.href);
            if (link.localName !== 'a')
                result.linkTags.push([i, link.localName.toUpperCase()]);
        }
    }

    function readImages(document, result) {
        var images = imagesOf.call(document);
        var count = images.length;
        for (var i = 0; i < count; i++)
            result.images.push(images[i].src);
    }

    // Throws for a frame of another origin; the caller drops that branch.
    function readWindow(view) {
        var document = view.document;
        var result = { frames: [], links: [], linkTags: [], images: [] };
        var frameCount = view.length;
        for (var i = 0; i < frameCount; i++) {
            try {
                result.frames.push(readWindow(view[i]));
            } catch (unreachable) {
            }
        }
        // A collection that cannot be read ends only its own walk.
        try {
            readLinks(document, result);
        } catch (unreadable) {
        }
        try {
            readImages(document, result);
        } catch (unreadable) {
        }
        return result;
    }

    return {
        contentType: contentTypeOf.call(document),
        title: titleOf.call(document),
        document: readWindow(window)
    };
})()
