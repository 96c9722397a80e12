// The guest's page: the share buttons appear where the browser can hand a file to the phone's
// share sheet; elsewhere the save links do the work.
"use strict";
(function () {
  if (!navigator.share) {
    return;
  }
  document.querySelectorAll("button.share").forEach(function (button) {
    button.hidden = false;
    button.addEventListener("click", function () {
      var url = button.getAttribute("data-file");
      var name = button.getAttribute("data-name");
      var type = button.getAttribute("data-type");
      button.disabled = true;
      fetch(url, { credentials: "same-origin" })
        .then(function (answer) {
          if (!answer.ok) {
            throw new Error("HTTP " + answer.status);
          }
          return answer.blob();
        })
        .then(function (blob) {
          var file = new File([blob], name, { type: type });
          if (navigator.canShare && navigator.canShare({ files: [file] })) {
            return navigator.share({ files: [file], title: document.title });
          }
          return navigator.share({ url: location.href, title: document.title });
        })
        .catch(function () { /* the guest closed the sheet, or the browser refused */ })
        .then(function () { button.disabled = false; });
    });
  });
})();
