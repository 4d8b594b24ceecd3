/* Starts a program on the current X display and prints the milliseconds from its start to the
 * first Expose of its first top-level window, then its peak RSS and its CPU use while idle.
 *
 *   startup_probe IDLE_SECONDS SETTLE_MS COMMAND [ARG...]
 *
 * Run it on a display without a window manager, so that top-level windows are the root's
 * children and their creation can be watched from here. After the window is exposed it waits
 * SETTLE_MS, reads the CPU time used, waits IDLE_SECONDS, reads it again, reads VmHWM, and ends
 * the program. Output: "startup_ms=… rss_kb=… idle_cpu_percent=…". */
#define _GNU_SOURCE
#include <X11/Xlib.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

static double nowMs(void) {
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

static double cpuSeconds(pid_t pid) {
    char path[64], buf[4096];
    snprintf(path, sizeof path, "/proc/%d/stat", (int)pid);
    FILE* f = fopen(path, "r");
    if (!f) return -1;
    size_t n = fread(buf, 1, sizeof buf - 1, f);
    fclose(f);
    buf[n] = 0;
    char* p = strrchr(buf, ')');
    if (!p) return -1;
    unsigned long utime = 0, stime = 0;
    /* Fields after the command: state(3) ... utime(14) stime(15). */
    int field = 2;
    for (char* tok = strtok(p + 1, " "); tok; tok = strtok(NULL, " ")) {
        ++field;
        if (field == 14) utime = strtoul(tok, NULL, 10);
        if (field == 15) { stime = strtoul(tok, NULL, 10); break; }
    }
    return (double)(utime + stime) / (double)sysconf(_SC_CLK_TCK);
}

static long peakRssKb(pid_t pid) {
    char path[64], line[256];
    snprintf(path, sizeof path, "/proc/%d/status", (int)pid);
    FILE* f = fopen(path, "r");
    if (!f) return -1;
    long kb = -1;
    while (fgets(line, sizeof line, f))
        if (strncmp(line, "VmHWM:", 6) == 0) kb = strtol(line + 6, NULL, 10);
    fclose(f);
    return kb;
}

int main(int argc, char** argv) {
    if (argc < 4) {
        fprintf(stderr, "usage: %s IDLE_SECONDS SETTLE_MS COMMAND [ARG...]\n", argv[0]);
        return 2;
    }
    const double idleSeconds = atof(argv[1]);
    const double settleMs = atof(argv[2]);
    Display* dpy = XOpenDisplay(NULL);
    if (!dpy) { fprintf(stderr, "no display\n"); return 1; }
    Window root = DefaultRootWindow(dpy);
    XSelectInput(dpy, root, SubstructureNotifyMask);
    XSync(dpy, False);

    const double start = nowMs();
    pid_t pid = fork();
    if (pid == 0) {
        execvp(argv[3], argv + 3);
        _exit(127);
    }
    double exposed = -1;
    Window target = 0;
    while (exposed < 0 && nowMs() - start < 20000) {
        while (XPending(dpy)) {
            XEvent ev;
            XNextEvent(dpy, &ev);
            if (ev.type == CreateNotify && !ev.xcreatewindow.override_redirect && !target) {
                XSelectInput(dpy, ev.xcreatewindow.window, ExposureMask | StructureNotifyMask);
            } else if (ev.type == MapNotify && !ev.xmap.override_redirect && !target &&
                       ev.xmap.event == root) {
                target = ev.xmap.window;
            } else if (ev.type == Expose && (target == 0 || ev.xexpose.window == target)) {
                exposed = nowMs();
            }
        }
        usleep(200);
    }
    if (exposed < 0) {
        fprintf(stderr, "window never exposed\n");
        kill(pid, SIGKILL);
        return 1;
    }
    usleep((useconds_t)(settleMs * 1000));
    const double cpu0 = cpuSeconds(pid);
    const double t0 = nowMs();
    usleep((useconds_t)(idleSeconds * 1e6));
    const double cpu1 = cpuSeconds(pid);
    const double t1 = nowMs();
    const long rss = peakRssKb(pid);
    kill(pid, SIGTERM);
    waitpid(pid, NULL, 0);
    printf("startup_ms=%.2f rss_kb=%ld idle_cpu_percent=%.3f\n", exposed - start, rss,
           idleSeconds > 0 ? 100.0 * (cpu1 - cpu0) / ((t1 - t0) / 1000.0) : 0.0);
    XCloseDisplay(dpy);
    return 0;
}
