// Linked with one level's library taken whole and the levels below it: it
// links only when that level calls nothing of a level above it.
int main()
{
    return 0;
}
