"""Firefox ESR showing apps/firefox_textarea.html, read back through its window title."""

import json
import os
import time

from .apps import APPS_DIR, end_app
from .waiting import wait_until

TITLE_PREFIX = "Pastiq e2e Firefox "
MODE_KEYS = {"plain": "Escape", "read": "F2", "slow": "F4"}

# A fresh profile that starts straight into the page: no first-run, upgrade or privacy tabs,
# no session restore, no updates or telemetry, and no connection anywhere. The test machine has
# no network, so every background service that would reach out is off, and a proxy that
# refuses at once stands behind anything left over instead of a DNS lookup that hangs.
PREFERENCES = {
    "browser.shell.checkDefaultBrowser": False,
    "browser.startup.homepage_override.mstone": "ignore",
    "browser.startup.page": 0,
    "browser.startup.firstrunSkipsHomepage": True,
    "startup.homepage_welcome_url": "",
    "startup.homepage_welcome_url.additional": "",
    "browser.aboutwelcome.enabled": False,
    "browser.startup.upgradeDialog.enabled": False,
    "trailhead.firstrun.didSeeAboutWelcome": True,
    "browser.sessionstore.resume_from_crash": False,
    "browser.sessionstore.max_resumed_crashes": 0,
    "toolkit.startup.max_resumed_crashes": -1,
    "browser.tabs.warnOnClose": False,
    "app.update.auto": False,
    "app.update.enabled": False,
    "app.normandy.enabled": False,
    "extensions.update.enabled": False,
    "extensions.getAddons.cache.enabled": False,
    "datareporting.policy.dataSubmissionEnabled": False,
    "datareporting.policy.firstRunURL": "",
    "datareporting.healthreport.uploadEnabled": False,
    "datareporting.usage.uploadEnabled": False,
    "toolkit.telemetry.enabled": False,
    "toolkit.telemetry.unified": False,
    "toolkit.telemetry.reportingpolicy.firstRun": False,
    "browser.safebrowsing.malware.enabled": False,
    "browser.safebrowsing.phishing.enabled": False,
    "browser.safebrowsing.downloads.enabled": False,
    "browser.safebrowsing.blockedURIs.enabled": False,
    "browser.safebrowsing.update.enabled": False,
    "network.captive-portal-service.enabled": False,
    # Remote settings would look its host up even behind the proxy; 127.0.0.1 is never proxied
    # and refuses at once (Firefox reads this preference only with the variable below).
    "services.settings.server": "http://127.0.0.1:9/v1",
    "browser.region.update.enabled": False,
    "browser.region.network.url": "",
    "browser.newtabpage.activity-stream.feeds.section.topstories": False,
    "browser.newtabpage.activity-stream.feeds.telemetry": False,
    "browser.newtabpage.activity-stream.telemetry": False,
    "browser.newtabpage.activity-stream.showSponsored": False,
    "browser.newtabpage.activity-stream.showSponsoredTopSites": False,
    "network.connectivity-service.enabled": False,
    "network.trr.mode": 5,
    "network.dns.disablePrefetch": True,
    "network.prefetch-next": False,
    "network.proxy.type": 1,
    "network.proxy.http": "127.0.0.1",
    "network.proxy.http_port": 9,
    "network.proxy.ssl": "127.0.0.1",
    "network.proxy.ssl_port": 9,
    "network.proxy.socks": "127.0.0.1",
    "network.proxy.socks_port": 9,
    "network.proxy.socks_remote_dns": True,
    "dom.push.enabled": False,
    "media.gmp-manager.updateEnabled": False,
    "media.gmp-gmpopenh264.enabled": False,
    "browser.newtabpage.enabled": False,
    "browser.translations.enable": False,
    "browser.uitour.enabled": False,
    "geo.enabled": False,
}

ENVIRONMENT = {"MOZ_CRASHREPORTER_DISABLE": "1", "MOZ_REMOTE_SETTINGS_DEVTOOLS": "1"}


class FirefoxTextarea:
    """Firefox with one textarea; `state()` is the page's {"text", "pastes", "ctrlV", "mode"}."""

    def __init__(self, desktop, keyboard, name="firefox"):
        self.desktop = desktop
        self.keyboard = keyboard
        self.profile = desktop.path(name)
        os.makedirs(self.profile, exist_ok=True)
        write_preferences(os.path.join(self.profile, "user.js"))
        page = "file://" + os.path.join(APPS_DIR, "firefox_textarea.html")
        started = time.monotonic()
        self.process = desktop.spawn(
            ["firefox-esr", "-profile", self.profile, "-no-remote", "-new-instance", page],
            log_name=f"{name}.log",
            extra_env=ENVIRONMENT,
        )
        self.window = wait_until(
            lambda: keyboard.find_window(TITLE_PREFIX), timeout=60, what="Firefox to show the page"
        )
        self.start_seconds = time.monotonic() - started

    def close(self):
        end_app(self.desktop, self.process, timeout=10)

    def state(self):
        """The page's last published state, or None while the title holds none (or a cut one)."""
        title = self.desktop.run(["xdotool", "getwindowname", str(self.window)], check=False).stdout
        if not title.startswith(TITLE_PREFIX):
            return None
        # The page escapes every space, so the state ends where Firefox's suffix begins.
        published = title[len(TITLE_PREFIX):].split(" ", 1)[0]
        try:
            return json.loads(published)
        except json.JSONDecodeError:
            return None

    def text(self):
        return (self.state() or {}).get("text")

    def describe(self):
        """What the page saw, for a failure message."""
        state = self.state() or {}
        return f"Firefox saw {state.get('ctrlV')} Ctrl+V and {state.get('pastes')} paste events"

    def focus(self):
        self.keyboard.activate(self.window)

    def warm_up(self, clipboard):
        """Pastes once without Pastiq and empties the field again.

        A fresh Firefox loads its clipboard code on the first paste and goes on with start-up
        work for a few seconds; a first Ctrl+V can then take 400 ms to ask for the text,
        which is not what the paste tests measure.
        """
        clipboard.set("warm")
        self.focus()
        self.keyboard.key("ctrl+v")
        wait_until(lambda: self.text() == "warm", timeout=10, what="Firefox's first paste")
        self.clear()

    def clear(self, mode="plain"):
        """Empties the field and sets how the page's paste handler behaves: "plain" only
        counts, "read" reads the pasted text, "slow" is busy for 300 ms on the second paste."""
        self.focus()
        self.keyboard.key(MODE_KEYS[mode])
        wait_until(lambda: self.state() == {"text": "", "pastes": 0, "ctrlV": 0, "mode": mode},
                   timeout=5, what=f"the Firefox textarea to be emptied in mode {mode}")


def write_preferences(path):
    with open(path, "w", encoding="utf-8") as prefs:
        for name, value in PREFERENCES.items():
            prefs.write(f"user_pref({json.dumps(name)}, {json.dumps(value)});\n")
