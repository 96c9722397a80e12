#!/usr/bin/python3
"""Opens a guest's page and the event's gallery in headless Chromium at a phone's size, the way a
guest's phone does after scanning the station's QR code, and checks what he gets: the photos shown,
the downloads byte for byte the saved files, the voice message loadable, the gallery updating by
itself. Driven by a test program, which reads its lines:

  guest_pages.py --page URL --framed FILE [--photo FILE] [--voice FILE] [--gallery URL]
                 [--shots FOLDER]

With --gallery it prints "gallery <n>" once the gallery shows n pictures, then waits for a line on
its input (the test has made another sign-in) and checks that the gallery shows n + 1 pictures
without being reloaded. Every check that fails ends the script with a line "FAIL <what>" and exit
status 1; success ends with "PASS".
"""
import argparse
import base64
import os
import sys
import time

from selenium import webdriver
from selenium.common.exceptions import WebDriverException
from selenium.webdriver.chrome.service import Service

PHONE = {"width": 390, "height": 844, "pixelRatio": 3.0}
PHONE_AGENT = ("Mozilla/5.0 (Linux; Android 14; Pixel 8) AppleWebKit/537.36 (KHTML, like Gecko) "
               "Chrome/156.0 Mobile Safari/537.36")


def fail(what):
    print("FAIL " + what, flush=True)
    sys.exit(1)


def wait_until(check, seconds, what):
    end = time.monotonic() + seconds
    while True:
        try:
            value = check()
        except WebDriverException:
            value = None
        if value:
            return value
        if time.monotonic() > end:
            fail(what)
        time.sleep(0.1)


def browser():
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    # Chromium's own connections (updates, sync, Google's hosts) are off: the test touches
    # loopback only.
    for flag in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                 "--disable-background-networking", "--disable-component-update", "--disable-sync",
                 "--disable-dev-shm-usage", "--lang=zh-CN"):
        options.add_argument(flag)
    options.add_experimental_option("mobileEmulation", {"deviceMetrics": PHONE, "userAgent": PHONE_AGENT})
    return webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)


# Fetches a URL from inside the page (same origin, the page's own cookies) and hands back its
# bytes, its status and its headers.
FETCH = """
const done = arguments[arguments.length - 1];
fetch(arguments[0]).then(async (response) => {
  const bytes = new Uint8Array(await response.arrayBuffer());
  let text = '';
  for (let i = 0; i < bytes.length; i += 0x8000) {
    text += String.fromCharCode.apply(null, bytes.subarray(i, i + 0x8000));
  }
  done({status: response.status, body: btoa(text),
        disposition: response.headers.get('content-disposition') || '',
        type: response.headers.get('content-type') || ''});
}).catch((error) => done({status: 0, body: '', disposition: String(error), type: ''}));
"""


def fetched(driver, url):
    answer = driver.execute_async_script(FETCH, url)
    return answer["status"], base64.b64decode(answer["body"]), answer["disposition"], answer["type"]


def shown_image(driver, fragment):
    """The natural size of the page's first completely loaded picture whose address holds the
    fragment."""
    return driver.execute_script(
        "const i = [...document.images].find(i => i.src.includes(arguments[0]));"
        "return i && i.complete && i.naturalWidth > 0 ? [i.src, i.naturalWidth, i.naturalHeight] : null;",
        fragment)


def download_link(driver, fragment):
    return driver.execute_script(
        "const a = [...document.querySelectorAll('a[download]')].find(a => a.href.includes(arguments[0]));"
        "return a ? a.href : null;", fragment)


def check_guest_page(driver, args):
    driver.get(args.page)
    driver.set_script_timeout(30)
    for fragment, file in (("framed", args.framed), ("photo", args.photo)):
        if not file:
            continue
        src, width, height = wait_until(lambda: shown_image(driver, fragment), 15,
                                        "the page shows no " + fragment + " picture")
        link = download_link(driver, fragment) or fail("no download link for the " + fragment + " picture")
        status, body, disposition, kind = fetched(driver, link)
        with open(file, "rb") as saved:
            expected = saved.read()
        if status != 200 or body != expected:
            fail("the %s download is not the saved file (status %d, %d bytes, %d saved)"
                 % (fragment, status, len(body), len(expected)))
        if "attachment" not in disposition or ".jpg" not in disposition:
            fail("the %s download has no file name: %r" % (fragment, disposition))
        print("page %s %dx%d, download %d bytes as %s" % (fragment, width, height, len(body), disposition),
              flush=True)
    if args.voice:
        state = wait_until(lambda: driver.execute_script(
            "const a = document.querySelector('audio');"
            "return a && a.readyState >= 1 && a.duration > 0 ? [a.readyState, a.duration] : null;"), 15,
            "the voice message's audio element did not load")
        status, body, _, kind = fetched(driver, driver.execute_script(
            "return document.querySelector('audio').currentSrc"))
        with open(args.voice, "rb") as saved:
            if status != 200 or body != saved.read():
                fail("the voice message is not the saved file")
        print("page voice %.1f s, %s" % (state[1], kind), flush=True)
    if args.shots:
        driver.save_screenshot(os.path.join(args.shots, "phone-guest-page.png"))


def gallery_count(driver):
    return driver.execute_script("return [...document.images].filter(i => i.src.includes('/t/')).length;")


def check_gallery(driver, args):
    driver.get(args.gallery)
    count = wait_until(lambda: gallery_count(driver), 15, "the gallery shows no picture")
    driver.execute_script("window.vantorNotReloaded = true;")
    print("gallery %d" % count, flush=True)
    if args.shots:
        wait_until(lambda: driver.execute_script(
            "return [...document.images].filter(i => i.src.includes('/t/')).slice(0, 4)"
            ".every(i => i.complete && i.naturalWidth > 0);"), 15, "the gallery's thumbnails did not load")
        driver.save_screenshot(os.path.join(args.shots, "phone-gallery.png"))
    if sys.stdin.readline() == "":
        fail("the test ended before its next sign-in")
    wait_until(lambda: gallery_count(driver) == count + 1, 20,
               "the gallery did not show the new sign-in by itself")
    if not driver.execute_script("return window.vantorNotReloaded === true;"):
        fail("the gallery was reloaded")
    print("gallery live %d" % (count + 1), flush=True)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--page", required=True)
    parser.add_argument("--framed", required=True)
    parser.add_argument("--photo")
    parser.add_argument("--voice")
    parser.add_argument("--gallery")
    parser.add_argument("--shots")
    args = parser.parse_args()
    try:
        driver = browser()
    except WebDriverException as error:
        fail("Chromium and its driver (chromium, chromium-driver) cannot start: %s" % error.msg)
    try:
        check_guest_page(driver, args)
        if args.gallery:
            check_gallery(driver, args)
    finally:
        driver.quit()
    print("PASS", flush=True)


if __name__ == "__main__":
    main()
