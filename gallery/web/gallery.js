// The gallery: asks for the list every few seconds and puts new pictures in front, without a
// reload. A list that did not change costs a 304; a busy server (429) is asked less often.
"use strict";
(function () {
  var grid = document.getElementById("grid");
  var empty = document.getElementById("empty");
  if (!grid) {
    return;
  }
  var listUrl = grid.getAttribute("data-list");
  var tag = null;
  var normalDelay = 4000;
  var delay = normalDelay;

  function known() {
    var ids = {};
    grid.querySelectorAll("li[data-id]").forEach(function (item) { ids[item.getAttribute("data-id")] = item; });
    return ids;
  }

  // A thumbnail refused (the server busy, 429) is asked for again a little later, a few times.
  function retryOnError(image) {
    var tries = 0;
    image.addEventListener("error", function () {
      if (tries < 3) {
        tries += 1;
        var url = image.getAttribute("src");
        setTimeout(function () { image.src = url; }, 2000 * tries);
      }
    });
  }

  function item(picture) {
    var li = document.createElement("li");
    li.setAttribute("data-id", picture.id);
    li.className = "new";
    var link = document.createElement("a");
    link.href = picture.picture;
    var image = document.createElement("img");
    image.src = picture.thumbnail;
    image.loading = "lazy";
    image.alt = picture.time;
    retryOnError(image);
    var time = document.createElement("span");
    time.textContent = picture.time;
    link.appendChild(image);
    li.appendChild(link);
    li.appendChild(time);
    return li;
  }

  function show(list) {
    var ids = known();
    var wanted = {};
    var before = grid.firstChild;
    list.pictures.forEach(function (picture) {
      wanted[picture.id] = true;
      var existing = ids[picture.id];
      if (existing) {
        before = existing.nextSibling;
        return;
      }
      grid.insertBefore(item(picture), before);
    });
    Object.keys(ids).forEach(function (id) {
      if (!wanted[id]) {
        ids[id].remove();
      }
    });
    if (empty) {
      empty.hidden = list.pictures.length > 0;
    }
  }

  function poll() {
    var headers = tag ? { "If-None-Match": tag } : {};
    fetch(listUrl, { credentials: "same-origin", cache: "no-store", headers: headers })
      .then(function (answer) {
        if (answer.status === 429) {
          delay = Math.min(delay * 2, 60000);
          return null;
        }
        delay = normalDelay;
        if (answer.status === 304 || !answer.ok) {
          return null;
        }
        tag = answer.headers.get("ETag");
        return answer.json();
      })
      .then(function (list) {
        if (list && list.pictures) {
          show(list);
        }
      })
      .catch(function () { delay = Math.min(delay * 2, 30000); })
      .then(function () { setTimeout(poll, delay); });
  }

  grid.querySelectorAll("img").forEach(retryOnError);
  setTimeout(poll, normalDelay);
})();
