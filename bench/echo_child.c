/* The smallest backend there is: answers every request line with an empty result under the
 * request's own id, one line each, flushed at once. The round-trip benchmark drives it both
 * through JSONRPCClient and through a bare blocking loop, so that the client's own cost shows. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

int main(void)
{
    char *line = NULL;
    size_t capacity = 0;
    ssize_t length;
    while ((length = getline(&line, &capacity, stdin)) > 0) {
        const char *id = strstr(line, "\"id\":\"");
        if (!id)
            continue;
        id += 6;
        const char *idEnd = strchr(id, '"');
        if (!idEnd)
            continue;
        fputs("{\"jsonrpc\":\"2.0\",\"id\":\"", stdout);
        fwrite(id, 1, (size_t)(idEnd - id), stdout);
        fputs("\",\"result\":{}}\n", stdout);
        fflush(stdout);
    }
    free(line);
    return 0;
}
