// Deep Scan: every picture a page shows or links to, at its best resolution.
// A function of one request; the caller appends the call, for instance
// ({task: 'scan', cssBudgetMs: 1500}). Tasks:
//   'listen'  installed in every frame: answers the top document's questions
//   'ask'     asks every frame of another origin for its findings under
//             request.ask; returns how many were asked
//   'referrer' the top document's referrer policy as the engine applied it and
//             the policies its elements give their own addresses
//   'scan'    the snapshot of the page: the frame tree of the scan script,
//             each document with images, details and links; request.answers
//             holds the frames' answers by frame path ("0/2")
// Runs in the isolated world: the page's scripts cannot see or change what
// is kept on `window` here. Built-ins are read through prototypes, because
// named elements shadow properties of documents and forms.
// Each image adds one address and four details: source, natural width,
// natural height (0 when unknown) of the file, and flags: 1 when the element
// shows a picture, 2 when the size is an estimate.
// For following thumbnails (request.placements true; asking for them costs
// a box per image), an image drawn on the page or inside a link adds a
// placement: [image index, drawn width, drawn height, srcset width of the
// chosen candidate (0 when none), link targets...]; the scan also gives the
// page's rel="next" address.
(function (request) {
    'use strict';
    function getter(prototype, name) {
        return Object.getOwnPropertyDescriptor(prototype, name).get;
    }
    var contentTypeOf = getter(Document.prototype, 'contentType');
    var titleOf = getter(Document.prototype, 'title');
    var linksOf = getter(Document.prototype, 'links');
    var baseOf = getter(Node.prototype, 'baseURI');
    var shadowOf = getter(Element.prototype, 'shadowRoot');
    var sheetsOf = getter(Document.prototype, 'styleSheets');
    var allOf = Document.prototype.getElementsByTagName;
    var selectInDocument = Document.prototype.querySelectorAll;
    var selectAll = DocumentFragment.prototype.querySelectorAll;
    var boxOf = Element.prototype.getBoundingClientRect;
    var attributeOf = Element.prototype.getAttribute;
    var namesOf = Element.prototype.getAttributeNames;
    var closestOf = Element.prototype.closest;
    var allIn = Element.prototype.getElementsByTagName;
    var lazySingles = ['data-hi-res-src', 'data-full-src', 'data-src', 'data-lazy-src',
                       'data-original'];
    var svgNamespace = 'http://www.w3.org/2000/svg';
    var xlinkNamespace = 'http://www.w3.org/1999/xlink';
    var shareNames = {'og:image': 1, 'og:image:url': 1, 'og:image:secure_url': 1,
                      'twitter:image': 1, 'twitter:image:src': 1};

    var state = window.quillmarDeepScan || (window.quillmarDeepScan = {listening: false});
    var reportPrefix = 'quillmar-frame-report ';

    function isSpace(c) {
        return c === ' ' || c === '\t' || c === '\n' || c === '\r' || c === '\f';
    }

    // A candidate list as browsers read it: an address may hold commas.
    function candidates(text, base, list) {
        var i = 0, n = text.length;
        while (i < n) {
            while (i < n && (isSpace(text[i]) || text[i] === ',')) i++;
            var start = i;
            while (i < n && !isSpace(text[i])) i++;
            var address = text.slice(start, i);
            var descriptor = '';
            if (/,$/.test(address)) {
                address = address.replace(/,+$/, '');
            } else {
                var from = i, depth = 0;
                for (; i < n; i++) {
                    var c = text[i];
                    if (c === '(') depth++;
                    else if (c === ')') depth--;
                    else if (c === ',' && depth <= 0) break;
                }
                descriptor = text.slice(from, i);
            }
            var resolved = resolve(address, base);
            if (!resolved) continue;
            var w = /(?:^|\s)(\d+)w(?:\s|$)/.exec(descriptor);
            var x = /(?:^|\s)(\d*\.?\d+)x(?:\s|$)/.exec(descriptor);
            list.push({address: resolved, w: w ? +w[1] : 0, x: x ? +x[1] : 1});
        }
        return list;
    }

    // By width descriptor where any candidate has one, else by density; null for none.
    function largest(list) {
        var best = null, byWidth = list.some(function (c) { return c.w > 0; });
        for (var i = 0; i < list.length; i++) {
            var c = list[i], size = byWidth ? c.w : c.x;
            if (best === null || size > (byWidth ? best.w : best.x)) best = c;
        }
        return best;
    }

    // An absolute address, or '' for nothing, a data: address or a broken one.
    function resolve(text, base) {
        if (!text) return '';
        text = text.trim();
        if (!text || /^data:/i.test(text)) return '';
        try {
            return new URL(text, base).href;
        } catch (broken) {
            return '';
        }
    }

    // Each address once per document; a later sighting may tell its size, or
    // its exact size where an earlier one only estimated it.
    function addImage(found, address, source, width, height, shown, estimated) {
        if (!address || /^data:/i.test(address)) return;
        var details = found.result.details, at = found.seen.get(address);
        var estimateFlag = estimated ? 2 : 0;
        if (at !== undefined) {
            if (width > 0 && (details[at + 1] === 0 || (details[at + 3] & 2 && !estimated))) {
                details[at + 1] = width;
                details[at + 2] = height;
                details[at + 3] = (details[at + 3] & 1) | estimateFlag;
            }
            if (shown) details[at + 3] |= 1;
            return;
        }
        found.seen.set(address, details.length);
        found.result.images.push(address);
        found.result.details.push(found.source || source, width, height,
                                  (shown ? 1 : 0) | estimateFlag);
    }

    function srcsetCandidates(element, base, lazyToo) {
        var own = [], lazy = [];
        candidates(attributeOf.call(element, 'srcset') || '', base, own);
        if (lazyToo) {
            var names = namesOf.call(element);
            for (var i = 0; i < names.length; i++) {
                if (/^data-.*srcset$/.test(names[i]))
                    candidates(attributeOf.call(element, names[i]) || '', base, lazy);
            }
        }
        return {own: own, lazy: lazy};
    }

    // The pixel size of the file at address, as an element without a srcset
    // reads it: the element that shows it scales its natural size by the
    // candidate's density. Synchronous only for a picture the page already
    // holds, so it is asked only for the one the element loaded.
    function fileSize(address) {
        var probe = new Image();
        probe.src = address;
        return probe.naturalWidth > 0 ? [probe.naturalWidth, probe.naturalHeight] : null;
    }

    // The density of the loaded file: its candidate's, or 1 for the element's
    // own src, which stands for the 1x candidate; null when unknown.
    function densityOf(loaded, set, image) {
        for (var i = 0; i < set.length; i++) {
            if (set[i].address === loaded) return set[i].w > 0 ? null : set[i].x;
        }
        return loaded === image.src ? 1 : null;
    }

    // The listed candidate's size: the file's own when the element loaded it;
    // otherwise, about its width descriptor at the shape of the loaded file,
    // when that is a candidate of the same set, or the loaded file scaled by
    // the densities of the two; otherwise unknown.
    function sizeOf(listed, set, image) {
        var loaded = image.naturalWidth > 0 ? image.currentSrc : '';
        var file = loaded ? fileSize(loaded) : null;
        if (file && loaded === listed.address)
            return {width: file[0], height: file[1], estimated: false};
        var shape = file || [image.naturalWidth, image.naturalHeight];
        var fromSet = loaded && set.some(function (c) { return c.address === loaded; });
        if (fromSet && listed.w > 0)
            return {width: listed.w, height: Math.round(listed.w * shape[1] / shape[0]),
                    estimated: true};
        var density = loaded && listed.w === 0 ? densityOf(loaded, set, image) : null;
        if (density) {
            // naturalWidth is the file's width over its density already.
            var scale = listed.x / (file ? density : 1);
            return {width: Math.round(shape[0] * scale), height: Math.round(shape[1] * scale),
                    estimated: true};
        }
        return {width: 0, height: 0, estimated: false};
    }

    // A picture of a candidate set, with the size of the listed candidate.
    function addCandidate(found, listed, set, source, image) {
        var size = image ? sizeOf(listed, set, image) : {width: 0, height: 0, estimated: false};
        addImage(found, listed.address, source, size.width, size.height,
                 image !== null && image.naturalWidth > 0, size.estimated);
    }

    // The size is known only for the version the element shows; a source of
    // a <picture> may scale it by its density.
    function addShown(found, address, source, image) {
        var size = null;
        if (image.naturalWidth > 0 && image.currentSrc === address) {
            var parent = image.parentNode;
            size = parent && parent.localName === 'picture' ? fileSize(address)
                                                            : [image.naturalWidth, image.naturalHeight];
        }
        addImage(found, address, source, size ? size[0] : 0, size ? size[1] : 0,
                 image.naturalWidth > 0, false);
    }

    // The address an <img> shows. Where the engine cannot resolve it (a "%00"
    // in it), currentSrc is the attribute's bare text; src is always whole.
    function shownAddress(image) {
        var current = image.currentSrc;
        return /^[a-z][a-z0-9+.-]*:/i.test(current) ? current : image.src;
    }

    // The largest candidate of any srcset, then a lazy loader's address, then what is shown.
    function readImg(found, image, base) {
        var sets = srcsetCandidates(image, base, true);
        var all = sets.own.concat(sets.lazy);
        var best = largest(all);
        if (best) {
            var own = sets.own.some(function (c) { return c.address === best.address; });
            addCandidate(found, best, all, own ? 'srcset' : 'lazy', image);
            notePlacement(found, best.address, image, base, best.w);
            return;
        }
        var address = '', source = 'lazy';
        for (var i = 0; !address && i < lazySingles.length; i++)
            address = resolve(attributeOf.call(image, lazySingles[i]), base);
        if (!address) {
            address = shownAddress(image);
            source = 'img';
        }
        addShown(found, address, source, image);
        notePlacement(found, address, image, base, 0);
    }

    // The pages an image leads to: its enclosing link, or the areas of its image map.
    function linkTargets(image, base) {
        var targets = [];
        var anchor = closestOf.call(image, 'a[href]');
        if (anchor)
            targets.push(resolve(attributeOf.call(anchor, 'href'), baseOf.call(anchor)));
        var map = (attributeOf.call(image, 'usemap') || '').replace(/^#/, '');
        if (map) {
            var areas = selectInDocument.call(image.ownerDocument,
                                               'map[name="' + CSS.escape(map) + '"] area[href]');
            for (var i = 0; i < areas.length; i++)
                targets.push(resolve(attributeOf.call(areas[i], 'href'), base));
        }
        return targets.filter(function (target) { return target; });
    }

    function notePlacement(found, address, image, base, srcsetWidth) {
        if (!found.placements || !address || /^data:/i.test(address)) return;
        var images = found.result.images;
        var index = images[images.length - 1] === address ? images.length - 1
                                                          : images.indexOf(address);
        if (index < 0) return;
        var box = boxOf.call(image);
        var targets = linkTargets(image, base);
        if (targets.length === 0 && !(box.width > 0 && box.height > 0)) return;
        found.result.placements.push(
            [index, Math.round(box.width), Math.round(box.height), srcsetWidth].concat(targets));
    }

    // The types of picture the engine shows; it skips a <source> of any other.
    var shownTypes = /^image\/(jpeg|png|gif|webp|avif|apng|bmp|x-icon|vnd\.microsoft\.icon|svg\+xml)$/i;
    // The <img> elements whose <picture> gave their line.
    var readPictureImages = new Set();

    // One picture, one line: the largest candidate across its sources of a
    // shown type and its <img>'s own sets. Without source candidates the
    // <img> is read as any other.
    function readPicture(found, picture, base) {
        var all = [], image = null, fromSources = false;
        for (var child = picture.firstElementChild; child; child = child.nextElementSibling) {
            if (child.localName === 'img' && !image)
                image = child;
            if (child.localName !== 'source') continue;
            var type = (attributeOf.call(child, 'type') || '').trim();
            if (type && !shownTypes.test(type)) continue;
            var sets = srcsetCandidates(child, base, true);
            all = all.concat(sets.own, sets.lazy);
            fromSources = fromSources || all.length > 0;
        }
        if (!fromSources) return;
        if (image) {
            var own = srcsetCandidates(image, base, true);
            all = all.concat(own.own, own.lazy);
            readPictureImages.add(image);
        }
        var best = largest(all);
        addCandidate(found, best, all, 'picture', image);
        if (image)
            notePlacement(found, best.address, image, base, best.w);
    }

    function readCss(found, element) {
        var background = getComputedStyle(element).backgroundImage;
        if (!background || background === 'none') return;
        var pattern = /url\(\s*(?:"((?:[^"\\]|\\.)*)"|'((?:[^'\\]|\\.)*)'|([^)]*))\s*\)/g;
        var match;
        while ((match = pattern.exec(background)) !== null) {
            var text = (match[1] || match[2] || match[3] || '').replace(/\\(.)/g, '$1');
            addImage(found, resolve(text, baseOf.call(element)), 'css', 0, 0, false);
        }
    }

    function readElement(found, element, base) {
        switch (element.localName) {
        case 'img':
            if (!readPictureImages.has(element))
                readImg(found, element, base);
            break;
        case 'picture':
            readPicture(found, element, base);
            break;
        case 'video':
            addImage(found, resolve(attributeOf.call(element, 'poster'), base), 'poster', 0, 0,
                     false);
            break;
        case 'input':
            if ((attributeOf.call(element, 'type') || '').toLowerCase() === 'image')
                addImage(found, resolve(attributeOf.call(element, 'src'), base), 'input', 0, 0,
                         false);
            break;
        case 'image':
            if (element.namespaceURI === svgNamespace)
                addImage(found, resolve(attributeOf.call(element, 'href') ||
                                        element.getAttributeNS(xlinkNamespace, 'href'), base),
                         'svg', 0, 0, false);
            break;
        case 'meta':
            var name = (attributeOf.call(element, 'property') ||
                        attributeOf.call(element, 'name') || '').toLowerCase();
            if (shareNames[name] === 1)
                addImage(found, resolve(attributeOf.call(element, 'content'), base), 'meta', 0, 0,
                         false);
            break;
        case 'link':
            if (/(^|\s)image_src(\s|$)/i.test(attributeOf.call(element, 'rel') || ''))
                addImage(found, resolve(attributeOf.call(element, 'href'), base), 'meta', 0, 0,
                         false);
            break;
        }
    }

    // True once the walk's time is spent; from then on no more styles are read.
    function timeIsUp(walk) {
        if (!walk.cut && performance.now() > walk.deadline) walk.cut = true;
        return walk.cut;
    }

    // Reads each element's computed background once, while time is left.
    function readCssOnce(found, element, walk) {
        if (walk.styled.has(element) || timeIsUp(walk)) return;
        walk.styled.add(element);
        readCss(found, element);
    }

    // The selectors of rules with a url() background, rule by rule while time
    // is left, so a sheet of a million rules costs no more than the budget.
    function styleRules(sheet, selectors, walk) {
        var rules = sheet.cssRules; // throws for a sheet of another origin
        for (var i = 0; i < rules.length && !(i % 256 === 0 && timeIsUp(walk)); i++) {
            var rule = rules[i];
            if (rule.styleSheet)
                styleRules(rule.styleSheet, selectors, walk);
            else if (rule.cssRules)
                styleRules(rule, selectors, walk);
            if (rule.selectorText && rule.style &&
                /url\(/i.test(rule.style.getPropertyValue('background-image')))
                selectors.push(rule.selectorText);
        }
    }

    // The elements on screen, in document order, looked at while time is left.
    function visibleElements(document, elements, walk) {
        var view = document.defaultView, visible = [];
        var width = view ? view.innerWidth : 0, height = view ? view.innerHeight : 0;
        for (var i = 0; i < elements.length && !(i % 256 === 0 && timeIsUp(walk)); i++) {
            var box = boxOf.call(elements[i]);
            if (box.width > 0 && box.height > 0 && box.bottom > 0 && box.right > 0 &&
                box.top < height && box.left < width)
                visible.push(elements[i]);
        }
        return visible;
    }

    // Backgrounds from any style sheet, within the walk's budget: first the
    // elements on screen, then those with an inline style, then those a rule
    // with a url() background selects (every element when a sheet cannot be read).
    function readBackgrounds(found, document, elements, walk) {
        visibleElements(document, elements, walk).forEach(function (e) {
            readCssOnce(found, e, walk);
        });
        selectInDocument.call(document, '[style]').forEach(function (e) {
            readCssOnce(found, e, walk);
        });
        var selectors = [], sheets = sheetsOf.call(document);
        try {
            for (var i = 0; i < sheets.length && !timeIsUp(walk); i++)
                styleRules(sheets[i], selectors, walk);
        } catch (unreadable) {
            for (var k = 0; k < elements.length && !walk.cut; k++)
                readCssOnce(found, elements[k], walk);
            return;
        }
        for (var j = 0; j < selectors.length && !timeIsUp(walk); j++) {
            try {
                selectInDocument.call(document, selectors[j]).forEach(function (e) {
                    readCssOnce(found, e, walk);
                });
            } catch (pseudoElement) {
            }
        }
    }

    // One pass over a document or shadow root; in a shadow root, where no
    // selector list can tell, every element's background while time is left.
    function readRoot(found, elements, base, walk, shadowRoot) {
        var count = elements.length;
        for (var i = 0; i < count; i++) {
            var element = elements[i];
            readElement(found, element, base);
            if (shadowRoot)
                readCssOnce(found, element, walk);
            var shadow = shadowOf.call(element);
            if (shadow)
                readShadow(found, shadow, base, walk);
        }
    }

    function readShadow(found, shadow, base, walk) {
        var inner = {result: found.result, source: found.source || 'shadow', seen: found.seen,
                     placements: found.placements};
        readRoot(inner, selectAll.call(shadow, '*'), base, walk, true);
        var anchors = selectAll.call(shadow, 'a[href], area[href]');
        for (var i = 0; i < anchors.length; i++)
            addLink(found.result, anchors[i]);
    }

    function addLink(result, link) {
        result.links.push(link.href);
        if (link.localName !== 'a')
            result.linkTags.push([result.links.length - 1, link.localName.toUpperCase()]);
    }

    function newResult() {
        return {frames: [], links: [], linkTags: [], images: [], details: [], placements: []};
    }

    // A document's own findings, without its frames.
    function readDocument(document, source, walk) {
        var found = {result: newResult(), source: source, seen: new Map(),
                     placements: walk.placements};
        var base = baseOf.call(document);
        try {
            var links = linksOf.call(document);
            for (var i = 0; i < links.length; i++)
                addLink(found.result, links[i]);
        } catch (unreadable) {
        }
        try {
            var elements = allOf.call(document, '*');
            readRoot(found, elements, base, walk, false);
            readBackgrounds(found, document, elements, walk);
        } catch (unreadable) {
        }
        return found.result;
    }

    function documentOf(view) {
        try {
            var document = view.document;
            contentTypeOf.call(document);
            return document;
        } catch (otherOrigin) {
            return null;
        }
    }

    function listOf(value, test) {
        return Array.isArray(value) && value.every(test) ? value : null;
    }

    function isString(value) {
        return typeof value === 'string';
    }

    function isDetail(value) {
        return typeof value === 'string' || typeof value === 'number';
    }

    function isTag(value) {
        return Array.isArray(value) && value.length === 2 && typeof value[0] === 'number' &&
               typeof value[1] === 'string';
    }

    // What a frame answered, when it has the shape of a document's findings:
    // any page can forge an answer, so it may add addresses but never break the scan.
    function answerFor(path) {
        var answers = request.answers || {};
        var answer = Object.prototype.hasOwnProperty.call(answers, path) ? answers[path] : null;
        if (!answer || typeof answer !== 'object') return newResult();
        var result = {frames: [], links: listOf(answer.links, isString),
                      linkTags: listOf(answer.linkTags, isTag),
                      images: listOf(answer.images, isString),
                      details: listOf(answer.details, isDetail)};
        return result.links && result.linkTags && result.images && result.details ? result
                                                                                  : newResult();
    }

    // Frames first, as the scan script walks them; another origin's frame
    // gives what it answered, and its own frames are walked from here.
    function readWindow(view, source, walk, path) {
        var frames = [];
        for (var i = 0; i < view.length; i++)
            frames.push(readWindow(view[i], 'frame', walk, path + (path ? '/' : '') + i));
        var document = documentOf(view);
        var result = document ? readDocument(document, source, walk) : answerFor(path);
        result.frames = frames;
        return result;
    }

    function forEachForeignFrame(view, visit) {
        for (var i = 0; i < view.length; i++) {
            var frame = view[i];
            if (!documentOf(frame)) visit(frame);
            forEachForeignFrame(frame, visit);
        }
    }

    // Where a frame sits below the top window: the index at each level.
    function pathOf(view) {
        var path = [];
        while (view !== view.top) {
            var parent = view.parent;
            for (var i = 0; i < parent.length; i++) {
                if (parent[i] === view) {
                    path.unshift(i);
                    break;
                }
            }
            view = parent;
        }
        return path.join('/');
    }

    // A question says nothing but its number, and the answer goes to the
    // browser through this world's console, which no page script can read:
    // pages of any origin may ask, none learns what another frame shows.
    function listen() {
        if (state.listening) return;
        state.listening = true;
        window.addEventListener('message', function (event) {
            var data = event.data;
            if (!data || typeof data.quillmarDeepAsk !== 'number' || window === window.top)
                return;
            var walk = {deadline: performance.now() + 1000, cut: false, styled: new Set(),
                        placements: data.quillmarDeepPlacements === true};
            console.log(reportPrefix + JSON.stringify({
                ask: data.quillmarDeepAsk, path: pathOf(window),
                result: readDocument(document, 'frame', walk)
            }));
        });
    }

    function ask(askId, placements) {
        var asked = 0;
        forEachForeignFrame(window, function (frame) {
            frame.postMessage({quillmarDeepAsk: askId, quillmarDeepPlacements: placements}, '*');
            asked += 1;
        });
        return asked;
    }

    function noteReferrerMeta(meta) {
        state.notedMetas.add(meta);
        if ((attributeOf.call(meta, 'name') || '').toLowerCase() === 'referrer')
            state.metaPolicies.push(attributeOf.call(meta, 'content') || '');
    }

    function noteReferrerMetas(node) {
        if (node.nodeType !== 1) return;
        if (node.localName === 'meta') {
            noteReferrerMeta(node);
            return;
        }
        var metas = allIn.call(node, 'meta');
        for (var i = 0; i < metas.length; i++)
            noteReferrerMeta(metas[i]);
    }

    // Watching every node of the document made parsing a page of 100,000
    // elements take twice as long. The document and its root element are
    // watched only for their own children, the head with all it holds; a
    // meta elsewhere counts when it is still there at the scan.
    var watchedLevels = {childList: true};
    var watchedHead = {childList: true, subtree: true, attributes: true,
                       attributeFilter: ['name', 'content']};

    function watchNode(node) {
        if (node.nodeType !== 1) return;
        if (node.localName === 'head') {
            state.metaWatch.observe(node, watchedHead);
            noteReferrerMetas(node);
        } else if (node.localName === 'html') {
            state.metaWatch.observe(node, watchedLevels);
            node.childNodes.forEach(watchNode);
        } else if (node.localName === 'meta') {
            noteReferrerMeta(node);
        }
    }

    function noteRecords(records) {
        records.forEach(function (record) {
            var target = record.target;
            if (record.type === 'attributes')
                noteReferrerMetas(target);
            else if (target === document || target.localName === 'html')
                record.addedNodes.forEach(watchNode);
            else
                record.addedNodes.forEach(noteReferrerMetas);
        });
    }

    // The top document's policy as the engine applies it: its Referrer-Policy
    // header, then every referrer meta in the order it was met, also one a
    // script removed later. Until the header is read it counts as no-referrer.
    function watchReferrerPolicy() {
        if (window !== window.top || state.metaPolicies) return;
        state.metaPolicies = [];
        state.notedMetas = new WeakSet();
        state.headerPolicy = 'no-referrer';
        state.metaWatch = new MutationObserver(noteRecords);
        state.metaWatch.observe(document, watchedLevels);
        document.childNodes.forEach(watchNode);
        if (!/^https?:$/.test(location.protocol)) return;
        fetch(location.href, {cache: 'force-cache', credentials: 'include'}).then(function (answer) {
            if (!answer.redirected)
                state.headerPolicy = answer.headers.get('referrer-policy') || '';
        }, function () {});
    }

    function noteMetasOutsideHead(doc) {
        var metas = selectInDocument.call(doc, 'meta[name="referrer" i]');
        for (var i = 0; i < metas.length; i++) {
            if (!state.notedMetas.has(metas[i]))
                noteReferrerMeta(metas[i]);
        }
    }

    function policyOfElement(element) {
        var policy = attributeOf.call(element, 'referrerpolicy') || '';
        if (element.localName !== 'img' &&
            /(^|\s)noreferrer(\s|$)/i.test(attributeOf.call(element, 'rel') || ''))
            policy += ',no-referrer';
        return policy;
    }

    // Every address an element with a policy of its own may be fetched from.
    function addressesOf(element, base) {
        if (element.localName !== 'img') return [element.href];
        var sets = srcsetCandidates(element, base, true);
        var all = sets.own.concat(sets.lazy).map(function (c) { return c.address; });
        lazySingles.forEach(function (name) {
            all.push(resolve(attributeOf.call(element, name), base));
        });
        all.push(element.src, element.currentSrc);
        var parent = element.parentNode;
        if (parent && parent.localName === 'picture') {
            var sources = allIn.call(parent, 'source');
            for (var i = 0; i < sources.length; i++) {
                var more = srcsetCandidates(sources[i], base, true);
                more.own.concat(more.lazy).forEach(function (c) { all.push(c.address); });
            }
        }
        return all.filter(function (address) { return !!address; });
    }

    function referrerOf(doc) {
        var policies;
        if (state.metaPolicies) {
            noteRecords(state.metaWatch.takeRecords());
            noteMetasOutsideHead(doc);
            policies = [state.headerPolicy].concat(state.metaPolicies);
        } else {
            policies = ['no-referrer'];
            var metas = selectInDocument.call(doc, 'meta[name="referrer" i]');
            for (var m = 0; m < metas.length; m++)
                policies.push(attributeOf.call(metas[m], 'content') || '');
        }
        var elements = [], base = baseOf.call(doc);
        var marked = selectInDocument.call(doc, 'img[referrerpolicy], a[referrerpolicy], ' +
                                                'area[referrerpolicy], a[rel], area[rel]');
        for (var i = 0; i < marked.length; i++) {
            var policy = policyOfElement(marked[i]);
            if (policy) {
                addressesOf(marked[i], base).forEach(function (address) {
                    elements.push([address, policy]);
                });
            }
        }
        return {referrerPolicy: policies.join(','), elementPolicies: elements};
    }

    function nextPageOf(doc) {
        var next = selectInDocument.call(doc, 'a[rel~="next" i][href], link[rel~="next" i][href]');
        return next.length > 0 ? resolve(attributeOf.call(next[0], 'href'), baseOf.call(next[0]))
                               : '';
    }

    switch (request.task) {
    case 'listen':
        listen();
        watchReferrerPolicy();
        return null;
    case 'referrer':
        return referrerOf(document);
    case 'ask':
        return ask(request.ask, request.placements === true);
    default:
        var walk = {deadline: performance.now() + (request.cssBudgetMs || 1500), cut: false,
                    styled: new Set(), placements: request.placements === true};
        var top = readWindow(window, '', walk, '');
        var referrer = referrerOf(document);
        return {contentType: contentTypeOf.call(document), title: titleOf.call(document),
                document: top, cssCut: walk.cut,
                referrerPolicy: referrer.referrerPolicy, elementPolicies: referrer.elementPolicies,
                next: nextPageOf(document)};
    }
})
